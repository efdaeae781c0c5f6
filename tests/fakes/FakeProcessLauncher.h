#pragma once
// Recording fake of the process launcher: every start as "program|arg|arg",
// answered with `result`.

#include "ports/ProcessLauncher.h"

#include <string>
#include <vector>

class CRecordingLauncher : public IProcessLauncher {
public:
    LaunchResult Launch(const std::string& program,
                        const std::vector<std::string>& arguments) override {
        std::string call = program;
        for (const std::string& argument : arguments)
            call += "|" + argument;
        calls.push_back(call);
        return result;
    }

    std::vector<std::string> calls;
    LaunchResult result;
};
