// tessera FILE [--args TEXT]     compile and run a script
// tessera --disassemble FILE     print its bytecode
//
// Exit status: the script's `exit` value (0 at its normal end); 1 after a
// compile error, rejected arguments or an uncaught runtime error; 2 for bad
// usage. Ctrl+C asks the script to stop.
#include "TerminalDesktop.h"
#include "TerminalStream.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::atomic<CInterpreter*> running{nullptr};

void OnInterrupt(int) {
    if (CInterpreter* interpreter = running.load())
        interpreter->SetStopFlag();
}

int Usage() {
    std::fputs("usage: tessera FILE [--args TEXT]\n"
               "       tessera --disassemble FILE\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string file, argsText;
    bool haveArgs = false, disassemble = false;
    for (int k = 1; k < argc; ++k) {
        std::string arg = argv[k];
        if (arg == "--args") {
            if (k + 1 >= argc || haveArgs)
                return Usage();
            argsText = argv[++k];
            haveArgs = true;
        } else if (arg == "--disassemble") {
            disassemble = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return Usage();
        } else if (file.empty()) {
            file = arg;
        } else {
            return Usage();
        }
    }
    if (file.empty() || (disassemble && haveArgs))
        return Usage();

    CTerminalStream stream(stdout, stderr, stdin);
    CTerminalDesktop desktop(stderr);
    CScript script(&stream, &stream);
    script.GetEngine()->SetDesktop(&desktop);
    if (!script.Load(file.c_str()))
        return 1;
    if (disassemble) {
        std::fputs(script.Disassemble().c_str(), stdout);
        return 0;
    }
    if (haveArgs && !script.EvaluateArguments(argsText.c_str()))
        return 1;
    stream.OpenLog(file);
    running = script.GetEngine()->GetInterpreter();
    std::signal(SIGINT, OnInterrupt);
    int status = script.Run(1, nullptr);
    running = nullptr;
    Factory_ClearData();
    return status;
}
