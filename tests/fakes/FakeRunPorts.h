#pragma once
// Fakes of what the macro runner needs from the main window, with the test's
// own thread standing in for the user-interface thread: completions queue up
// until the test pumps them, as the real window's event loop would.

#include "ports/ProcessLauncher.h"
#include "ports/RunPorts.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CFakeMainWindowPorts : public IOutputSink,
                             public IInputRequest,
                             public IRunCompletion,
                             public IRunFailure {
public:
    // "id name: first line" for every failure reported.
    void MacroFailed(int32_t id, const std::string& name, const std::string& firstLine) override {
        std::lock_guard<std::mutex> lock(mutex);
        failures.push_back(std::to_string(id) + " " + name + ": " + firstLine);
    }
    std::vector<std::string> Failures() {
        std::lock_guard<std::mutex> lock(mutex);
        return failures;
    }

    void AppendOutput(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex);
        output += text;
        changed.notify_all();
    }

    // Answers from `answers` in order; with none left the request stays open
    // (a dialog the user has not closed).
    void RequestInput(const std::string& instructions, Answer answer) override {
        std::unique_lock<std::mutex> lock(mutex);
        prompts.push_back(instructions);
        changed.notify_all();
        if (answers.empty()) {
            unanswered.push_back(std::move(answer));
            return;
        }
        std::string text = answers.front();
        answers.pop_front();
        lock.unlock();
        answer(text);
    }

    void PostMacroFinished(int32_t id, std::function<void()> handled) override {
        std::lock_guard<std::mutex> lock(mutex);
        finishedIds.push_back(id);
        events.push_back(std::move(handled));
        ++posted;
        changed.notify_all();
    }

    // Handles queued completions on the calling thread (onFinished, then the
    // handled callback) until `done` holds; false after `timeout`.
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            while (!events.empty()) {
                std::function<void()> handled = std::move(events.front());
                events.pop_front();
                lock.unlock();
                if (onFinished)
                    onFinished();
                handled();
                lock.lock();
                ++completions;
            }
            lock.unlock();
            bool finished = done();
            lock.lock();
            if (finished)
                return true;
            // `done` may watch state nobody signals (a worker ending): look again
            // every few milliseconds.
            auto slice =
                std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(2));
            changed.wait_until(lock, slice);
            if (std::chrono::steady_clock::now() >= deadline && events.empty()) {
                lock.unlock();
                bool last = done();
                lock.lock();
                return last;
            }
        }
    }
    bool PumpCompletions(int count) {
        return PumpUntil([&] { return Completions() >= count; });
    }

    // Waits (without handling completions) until the output contains `text`.
    bool WaitForOutput(const std::string& text,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout,
                                [&] { return output.find(text) != std::string::npos; });
    }

    // Waits (without handling them) until `count` completions were posted.
    bool WaitForPosted(int count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return posted >= count; });
    }
    std::string Output() {
        std::lock_guard<std::mutex> lock(mutex);
        return output;
    }
    int Completions() {
        std::lock_guard<std::mutex> lock(mutex);
        return completions;
    }
    int Posted() {
        std::lock_guard<std::mutex> lock(mutex);
        return posted;
    }
    std::vector<std::string> Prompts() {
        std::lock_guard<std::mutex> lock(mutex);
        return prompts;
    }
    // The macro ids the completions named, in order.
    std::vector<int32_t> FinishedIds() {
        std::lock_guard<std::mutex> lock(mutex);
        return finishedIds;
    }

    std::function<void()> onFinished; // the 22000 handler, on the pumping thread
    std::deque<std::string> answers;  // set before the run starts

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::string output;
    std::vector<std::string> failures;
    std::vector<std::string> prompts;
    std::vector<Answer> unanswered;
    std::deque<std::function<void()>> events;
    int posted = 0;
    std::vector<int32_t> finishedIds;
    int completions = 0;
};

// Records every launch; fails with errno `failWith` when it is not 0.
class CRecordingProcessLauncher : public IProcessLauncher {
public:
    struct Launched {
        std::string executable;
        std::vector<std::string> args;
    };
    LaunchResult Launch(const std::string& executable,
                        const std::vector<std::string>& args) override {
        launched.push_back({executable, args});
        return LaunchResult{failWith == 0, failWith};
    }
    std::vector<Launched> launched;
    int failWith = 0;
};
