#pragma once
// The run log: Wingmate.log in the home folder, one line per macro start and
// per scheduler error, mirrored on the Log page. It clears itself down to its
// last line once it holds more lines than the AutoClear setting allows.

#include "ports/MessageBox.h"
#include "schedule/RunQueuePorts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

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
    // The live "clear the display after N lines" setting, read at each
    // append (0 or null: never clears).
    void SetAutoClearLimit(const uint32_t* lines) { autoClearLines = lines; }
    void SetDisplay(IRunLogDisplay* logDisplay) { display = logDisplay; }
    int DisplayLineCount() const { return displayLineCount; }

    static std::string AutoClearNotice(long lines);

    // Told once when lines start to be lost (a full disk, a folder gone),
    // with the reason, and once with an empty text when a line is written
    // again; never once per lost line.
    void SetWriteProblemReporter(std::function<void(const std::string& problem)> reporter) {
        reportProblem = std::move(reporter);
    }

private:
    void AutoClearIfDue();
    void AppendToDisplay(const std::string& text);
    // One line to the end of the file; false with the system's reason.
    bool WriteLine(const std::string& text, std::string& reason) const;
    void NoteWrite(bool written, const std::string& reason);

    std::string path = "Wingmate.log";
    const uint32_t* autoClearLines = nullptr;
    IRunLogDisplay* display = nullptr;
    int displayLineCount = 0;
    std::function<void(const std::string&)> reportProblem;
    bool writeFailing = false;
};
