#pragma once
// Recording fake of the script dialogs: every call is logged as one line
// ("Choose Fruit? apple|pear @1", "Confirm Sure?"); the answers come from
// `answers` in order (an item index for Choose, "yes"/"no" for Confirm, a
// path for the choosers; "" cancels), and a run out of answers cancels.

#include "ports/Dialogs.h"

#include <chrono>
#include <deque>
#include <thread>

class CRecordingDialogs : public IScriptDialogs {
public:
    std::vector<std::string> calls;
    std::deque<std::string> answers;
    std::string failWith;          // when set, every call fails with it
    bool waitUntilStopped = false; // a dialog stays open until a Stop

    DesktopResult Choose(const std::string& prompt, const std::vector<std::string>& items,
                         size_t selected, std::optional<size_t>& chosen,
                         const StopCheck& stopRequested) override {
        std::string joined;
        for (const std::string& item : items)
            joined += (joined.empty() ? "" : "|") + item;
        const std::string answer =
            Ask("Choose " + prompt + " " + joined + " @" + std::to_string(selected), stopRequested);
        if (!answer.empty())
            chosen = std::stoul(answer);
        return Result();
    }
    DesktopResult Confirm(const std::string& text, bool& yes,
                          const StopCheck& stopRequested) override {
        yes = Ask("Confirm " + text, stopRequested) == "yes";
        return Result();
    }
    DesktopResult ChooseFile(const std::string& folder, const std::string& filter,
                             std::optional<std::string>& path,
                             const StopCheck& stopRequested) override {
        Path(Ask("ChooseFile " + folder + " " + filter, stopRequested), path);
        return Result();
    }
    DesktopResult ChooseFolder(const std::string& folder, std::optional<std::string>& path,
                               const StopCheck& stopRequested) override {
        Path(Ask("ChooseFolder " + folder, stopRequested), path);
        return Result();
    }
    DesktopResult Notify(const std::string& title, const std::string& text,
                         const StopCheck&) override {
        calls.push_back("Notify " + title + " " + text);
        return Result();
    }

private:
    std::string Ask(const std::string& call, const StopCheck& stopRequested) {
        calls.push_back(call);
        while (waitUntilStopped && !stopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (waitUntilStopped || answers.empty() || !failWith.empty())
            return "";
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    static void Path(const std::string& answer, std::optional<std::string>& path) {
        if (!answer.empty())
            path = answer;
    }
    DesktopResult Result() const {
        return failWith.empty() ? DesktopResult::Ok() : DesktopResult::Fail(failWith);
    }
};
