#pragma once
// The dialogs of a terminal run: questions on standard error, answers read
// from standard input (Choose as a numbered list, Confirm as y/n, the
// choosers as a typed path). When standard input is not a terminal each
// answer is echoed after its question, so the transcript reads right; its
// end before an answer is an error there, and a cancel on a terminal
// (Ctrl+D on an empty line). Notify goes over D-Bus with `gdbus`, else through `notify-send`.

#include "ports/Dialogs.h"

#include <cstdio>

class CTerminalDialogs : public IScriptDialogs {
public:
    // `in` should be unbuffered, so that waiting for an answer can watch for
    // a Stop without losing what was typed ahead.
    CTerminalDialogs(std::FILE* in, std::FILE* prompts) : input(in), questions(prompts) {}

    DesktopResult Choose(const std::string& prompt, const std::vector<std::string>& items,
                         size_t selected, std::optional<size_t>& chosen,
                         const StopCheck& stopRequested) override;
    DesktopResult Confirm(const std::string& text, bool& yes,
                          const StopCheck& stopRequested) override;
    DesktopResult ChooseFile(const std::string& folder, const std::string& filter,
                             std::optional<std::string>& path,
                             const StopCheck& stopRequested) override;
    DesktopResult ChooseFolder(const std::string& folder, std::optional<std::string>& path,
                               const StopCheck& stopRequested) override;
    DesktopResult Notify(const std::string& title, const std::string& text,
                         const StopCheck& stopRequested) override;

private:
    // Asks `question` and reads one line into `line`. False when no line
    // came: `ended` is then Ok (cancelled or stopped) or the failure.
    bool AskLine(const std::string& question, std::string& line, DesktopResult& ended,
                 const StopCheck& stopRequested);
    void Say(const std::string& text);
    // The path the user typed, until it names what `fits` accepts.
    DesktopResult AskPath(const std::string& question, const std::string& folder,
                          const std::function<std::string(const std::string&)>& fits,
                          std::optional<std::string>& path, const StopCheck& stopRequested);

    std::FILE* input;
    std::FILE* questions;
};
