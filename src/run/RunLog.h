#pragma once
// The run log: Wingmate.log in the home folder, one line per macro start and
// per scheduler error, mirrored on the Log page. It clears itself down to its
// last line once it holds more lines than the AutoClear setting allows.

#include "app/AppSettings.h"
#include "ports/MessageBox.h"
#include "schedule/RunQueuePorts.h"

#include <string>

// The Log page's display. It appends one piece followed by a line break;
// the run log counts the pieces and decides when to empty it.
class IRunLogDisplay {
public:
    virtual ~IRunLogDisplay() = default;
    virtual void AppendDisplayLine(const std::string& piece) = 0;
    virtual void ClearDisplay() = 0;
};

class CRunLog : public IRunLogWriter {
public:
    // More display lines than this empty the display before the next append.
    static constexpr int kDisplayLineLimit = 200;

    CRunLog() = default;

    // Appends the text as one line to the file (after an automatic clear
    // when due) and as one display line per piece between "\n" and "\r".
    void AppendLine(const std::string& text) override;

    // Empties the file. false when it cannot be written.
    bool ClearFile();

    // Copies the file to `target`, overwriting it. On failure shows "Could
    // not save Log File" and returns false. (The GUI asks for the target.)
    bool SaveCopyAs(const std::string& target, IMessageBox& messageBox);

    // Empties the display and its line count (the "Clear Display" button).
    void ClearDisplay();

    void SetPath(const std::string& logPath) { path = logPath; }
    const std::string& Path() const { return path; }
    // Source of `autoClearLines`, read at each append; null: never clears.
    void SetSettings(const CAppSettings* appSettings) { settings = appSettings; }
    void SetDisplay(IRunLogDisplay* logDisplay) { display = logDisplay; }
    int DisplayLineCount() const { return displayLineCount; }

    static std::string AutoClearNotice(long lines);

private:
    void AutoClearIfDue();
    void AppendToDisplay(const std::string& text);

    std::string path = "Wingmate.log";
    const CAppSettings* settings = nullptr;
    IRunLogDisplay* display = nullptr;
    int displayLineCount = 0;
};
