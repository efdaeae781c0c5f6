#pragma once
// Recorder ports for tests: an event source the test feeds by hand, and a
// main window that records what the Record Script dialog asks of it.

#include "ports/RecordHost.h"
#include "record/Recorder.h"

#include <mutex>
#include <string>
#include <vector>

class CFakeRecordSource : public IRecordSource {
public:
    std::string Start(EventFn onEvent) override {
        std::lock_guard<std::mutex> lock(mutex);
        ++starts;
        if (!startError.empty())
            return startError;
        report = std::move(onEvent);
        return {};
    }
    void Stop() override {
        std::lock_guard<std::mutex> lock(mutex);
        report = nullptr;
    }
    // Reports as the source's thread would; false when not started.
    bool Emit(const RecordedEvent& event) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!report)
            return false;
        report(event);
        return true;
    }
    bool Started() {
        std::lock_guard<std::mutex> lock(mutex);
        return report != nullptr;
    }

    std::string startError; // what Start says; empty: it starts
    int starts = 0;

private:
    std::mutex mutex;
    EventFn report;
};

class CFakeRecordMainWindow : public IRecordMainWindow {
public:
    void SetRecording(bool on, const std::string& text) override {
        recording = on;
        stopKeyText = text;
    }
    bool SchedulerEnabled() const override { return scheduler; }
    void SetSchedulerEnabled(bool enabled) override { scheduler = enabled; }
    bool TriggersEnabled() const override { return triggers; }
    void SetTriggersEnabled(bool enabled) override { triggers = enabled; }
    void RefreshTrayState() override { ++trayRefreshes; }
    void ReleaseTriggerHook() override { ++hookReleases; }
    void ShowMainWindow() override { hidden = false; }
    void HideMainWindow() override { hidden = true; }
    int DefaultDelay() const override { return delay; }
    int WindowWait() const override { return windowWait; }
    void SetWindowWait(int milliseconds) override { windowWait = milliseconds; }

    bool recording = false;
    std::string stopKeyText;
    bool scheduler = true;
    bool triggers = true;
    bool hidden = false;
    int trayRefreshes = 0;
    int hookReleases = 0;
    int delay = 0;
    int windowWait = 5000;
};
