#pragma once
// A recorder of the suite's X server, stopped with Ctrl+Z, writing its script
// into lines the test reads.

#include "record/Recorder.h"
#include "triggers/KeyNames.h"
#include "x11/X11RecordSource.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// The recorder's script view and owner: the lines written, the line still
// gathered, and whether the stop combination came.
class CLines : public IScriptSink, public IRecordOwner {
public:
    void AppendLine(const std::string& line) override { lines.push_back(line); }
    void ShowPendingLine(const std::string& line) override { pending = line; }
    void PostCommand(unsigned identifier) override { stopped = identifier == kStopRecording; }
    std::vector<std::string> lines;
    std::string pending;
    bool stopped = false;
};

struct CCtrlZRecording {
    explicit CCtrlZRecording(const std::string& displayName)
        : source(displayName), recorder(source) {
        RecordInitT init;
        init.scriptView = &sink;
        init.owner = &sink;
        init.stopModifier = vk::Ctrl;
        init.stopKey = 'Z';
        recorder.Init(init);
    }

    // Pumps the recorder's queue every 5 ms while `waiting` holds, `rounds`
    // times at most.
    void PumpWhile(const std::function<bool()>& waiting, int rounds) {
        for (int i = 0; i < rounds && waiting(); ++i) {
            recorder.Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    void PumpUntilStopped(int rounds) {
        PumpWhile([this] { return !sink.stopped; }, rounds);
    }

    CX11RecordSource source;
    CRecorder recorder;
    CLines sink;
};

} // namespace
