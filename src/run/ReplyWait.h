#pragma once
// One answer a worker thread waits for from the user-interface thread. The
// answering side holds a shared state, so an answer that comes after the
// worker gave up (Stop, shutdown) lands harmlessly.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class CReplyWait {
public:
    CReplyWait() : state(std::make_shared<State>()) {}

    // A callable for the other thread; the first call gives the answer.
    std::function<void(const std::string&)> Giver() const {
        std::shared_ptr<State> shared = state;
        return [shared](const std::string& value) {
            std::lock_guard<std::mutex> lock(shared->mutex);
            if (shared->answered)
                return;
            shared->answered = true;
            shared->value = value;
            shared->changed.notify_all();
        };
    }

    // Makes a waiting (or a later) Wait return false. Any thread.
    void Abandon() const {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->abandoned = true;
        state->changed.notify_all();
    }

    // Blocks until answered or abandoned; true (with the answer) when answered
    // first.
    bool Wait(std::string* value = nullptr) const {
        std::unique_lock<std::mutex> lock(state->mutex);
        state->changed.wait(lock, [&] { return state->answered || state->abandoned; });
        if (!state->answered)
            return false;
        if (value)
            *value = state->value;
        return true;
    }

    // Like Wait, but also gives up once `giveUp` returns true; it is asked
    // every few milliseconds.
    bool WaitUnless(const std::function<bool()>& giveUp, std::string* value = nullptr) const {
        std::unique_lock<std::mutex> lock(state->mutex);
        while (!state->answered && !state->abandoned) {
            if (giveUp())
                return false;
            state->changed.wait_for(lock, std::chrono::milliseconds(5));
        }
        if (!state->answered)
            return false;
        if (value)
            *value = state->value;
        return true;
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool answered = false;
        bool abandoned = false;
        std::string value;
    };
    std::shared_ptr<State> state;
};
