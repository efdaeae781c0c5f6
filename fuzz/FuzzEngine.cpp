// Compiles arbitrary bytes as a script and runs it with bounded steps, sizes
// and call depth, and without access to files, processes or the desktop. A
// script either fails to load with one "error:" message, or runs to an end
// (finished, exited, failed with a "runtime error:" message, or stopped at
// the step limit). Anything else is a bug.
#include "engine/Engine.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class CDiscardStream : public ssi_stream {
public:
    void Write(std::string_view text, char) override { written += text.size(); }
    void WriteError(std::string_view text, char) override { errors.emplace_back(text); }
    int ReadInput(char* buffer, int capacity) override {
        if (capacity < 2)
            return -1;
        buffer[0] = 'x';
        buffer[1] = '\0';
        return 1;
    }
    size_t written = 0;
    std::vector<std::string> errors;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDiscardStream stream;
    CScript script(&stream, &stream);
    CEngineLimits limits;
    limits.maxSteps = 20000;
    limits.maxStringBytes = 1 << 16;
    limits.maxListItems = 1 << 12;
    limits.maxCallDepth = 500;
    limits.systemAccess = false;
    script.GetEngine()->SetLimits(limits);
    const std::string source(reinterpret_cast<const char*>(data), size);
    if (!script.LoadSource("fuzz.tsc", source.c_str())) {
        if (stream.errors.size() != 1 || stream.errors[0].find(": error: ") == std::string::npos)
            std::abort();
        return 0;
    }
    script.Disassemble();
    script.EvaluateArguments("1,\"two\",3.5");
    script.Run(1, nullptr);
    switch (script.Outcome()) {
    case ScriptOutcome::Finished:
    case ScriptOutcome::Exited:
        if (!stream.errors.empty())
            std::abort();
        break;
    case ScriptOutcome::Failed:
    case ScriptOutcome::Stopped:
        if (stream.errors.size() != 1)
            std::abort();
        break;
    case ScriptOutcome::NotRun:
        std::abort();
    }
    return 0;
}
