#pragma once
// Port: the dialogs a running script opens (a pick from a list, a yes/no
// question, a file or folder chooser) and its desktop notifications. Called
// from the script's worker thread. A dialog call waits for the user while
// polling `stopRequested`: a Stop closes the dialog and the call returns at
// once, Ok and without an answer (the caller then ends the script).

#include "ports/Desktop.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class IScriptDialogs {
public:
    using StopCheck = std::function<bool()>;
    virtual ~IScriptDialogs() = default;

    // Offers `items` with item `selected` preselected; `chosen` is the index
    // of the picked item, nullopt when cancelled.
    virtual DesktopResult Choose(const std::string& prompt, const std::vector<std::string>& items,
                                 size_t selected, std::optional<size_t>& chosen,
                                 const StopCheck& stopRequested) = 0;
    // A Yes/No question whose default is No; closing it any other way is No.
    virtual DesktopResult Confirm(const std::string& text, bool& yes,
                                  const StopCheck& stopRequested) = 0;
    // `path`: the absolute path of the chosen existing file or folder;
    // nullopt when cancelled. `folder` is where the chooser starts ("": the
    // current folder); `filter` holds name patterns, see FileFilterPatterns.
    virtual DesktopResult ChooseFile(const std::string& folder, const std::string& filter,
                                     std::optional<std::string>& path,
                                     const StopCheck& stopRequested) = 0;
    virtual DesktopResult ChooseFolder(const std::string& folder, std::optional<std::string>& path,
                                       const StopCheck& stopRequested) = 0;
    // A passing notification; never waits for the user (a Stop ends any
    // wait for the notification service).
    virtual DesktopResult Notify(const std::string& title, const std::string& text,
                                 const StopCheck& stopRequested) = 0;
};

// The name patterns of a file filter: "*.txt *.md", or Qt's form with
// labels, "Text (*.txt *.md);;Images (*.png)" (the words in parentheses).
// Empty for "" (every file).
std::vector<std::string> FileFilterPatterns(const std::string& filter);
// Whether the file name (not a path) matches one of the filter's patterns
// (shell wildcards, case-sensitive); every name matches an empty filter.
bool MatchesFileFilter(const std::string& fileName, const std::string& filter);
