#pragma once
// Helpers for the engine tests: a stream that captures what a script writes
// and answers Input from a queue, and a one-call way to run a source text.

#include "engine/Engine.h"

#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

class CCaptureStream : public ssi_stream {
public:
    void Write(std::string_view text, char lineBreak) override {
        std::lock_guard<std::mutex> lock(mutex);
        out += text;
        if (lineBreak)
            out += "\n";
    }
    void WriteError(std::string_view text, char lineBreak) override {
        std::lock_guard<std::mutex> lock(mutex);
        err += text;
        if (lineBreak)
            err += "\n";
    }
    int ReadInput(char* buffer, int capacity) override {
        if (inputs.empty()) {
            buffer[0] = '\0';
            return -1;
        }
        std::string line = inputs.front();
        inputs.pop_front();
        if (line.size() >= static_cast<size_t>(capacity)) {
            buffer[0] = '\0';
            return -1;
        }
        std::memcpy(buffer, line.c_str(), line.size() + 1);
        return static_cast<int>(line.size());
    }
    std::string Out() {
        std::lock_guard<std::mutex> lock(mutex);
        return out;
    }

    std::string out;
    std::string err;
    std::deque<std::string> inputs;
    std::mutex mutex;
};

struct ScriptRun {
    bool loaded = false;
    int status = 0;
    ScriptOutcome outcome = ScriptOutcome::NotRun;
    std::string out;
    std::string err;
};

// Compiles `source` as "test.tsc"; `prepare` may set up the engine (desktop,
// functions, limits) between load and run, and `runScript` runs it.
template <class Prepare, class Run>
ScriptRun LoadAndRun(const std::string& source, Prepare prepare, Run runScript) {
    CCaptureStream stream;
    CScript script(&stream, &stream);
    ScriptRun run;
    run.loaded = script.LoadSource("test.tsc", source.c_str()) != 0;
    if (run.loaded) {
        prepare(script);
        run.status = runScript(script);
        run.outcome = script.Outcome();
    }
    run.out = stream.out;
    run.err = stream.err;
    return run;
}

template <class Prepare> ScriptRun RunScript(const std::string& source, Prepare prepare) {
    return LoadAndRun(source, prepare, [](CScript& script) { return script.Run(1, nullptr); });
}

inline ScriptRun RunScript(const std::string& source) {
    return RunScript(source, [](CScript&) {});
}

// Runs `source` on a thread of its own and asks it to stop after 30 ms, as
// the Stop command does; returns once the run ended.
template <class Prepare> ScriptRun RunAndStop(const std::string& source, Prepare prepare) {
    return LoadAndRun(source, prepare, [](CScript& script) {
        int status = 0;
        std::thread worker([&] { status = script.Run(1, nullptr); });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        script.GetEngine()->GetInterpreter()->SetStopFlag();
        worker.join();
        return status;
    });
}
