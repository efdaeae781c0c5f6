#include "run/RunLog.h"

#include "library/AtomicFile.h"
#include "ports/UiText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

bool IsBlank(const std::string& line) {
    for (const char c : line) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\v' && c != '\f')
            return false;
    }
    return true;
}

} // namespace

std::string CRunLog::AutoClearNotice(long lines) {
    return "===== Log File Auto Cleared at Line: " + std::to_string(lines) + " =====";
}

void CRunLog::ClearDisplay() {
    if (display)
        display->ClearDisplay();
    displayLineCount = 0;
}

// Counts the non-blank lines; when there are more than the setting allows,
// rewrites the file as its last non-blank line and logs the notice.
void CRunLog::AutoClearIfDue() {
    if (!autoClearLines || *autoClearLines == 0)
        return;
    // Only a plain file is counted: a device or a pipe put in its place
    // could be read forever.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return;
    long lines = 0;
    std::string line;
    std::string lastLine;
    // std::getline reads a line of any length whole: a long line counts once.
    while (std::getline(in, line)) {
        if (IsBlank(line))
            continue;
        ++lines;
        lastLine.swap(line);
    }
    in.close();
    if (static_cast<unsigned long>(lines) <= *autoClearLines)
        return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return; // no notice: the file could not be cleared
    out << lastLine << '\n';
    out.close();
    if (!out)
        return;
    AppendLine(AutoClearNotice(lines));
}

void CRunLog::AppendLine(const std::string& text) {
    if (displayLineCount > kDisplayLineLimit)
        ClearDisplay();
    AutoClearIfDue();
    std::string reason;
    NoteWrite(WriteLine(text, reason), reason);
    AppendToDisplay(text);
}

// A full disk shows only when the buffer is flushed: the close is checked too.
bool CRunLog::WriteLine(const std::string& text, std::string& reason) const {
    errno = 0;
    std::FILE* file = OpenForAppend(path);
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                         std::fputc('\n', file) != EOF && std::fflush(file) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && closed)
        return true;
    reason = std::strerror(written ? errno : writeError);
    return false;
}

void CRunLog::NoteWrite(bool written, const std::string& reason) {
    if (written == !writeFailing)
        return;
    writeFailing = !written;
    if (reportProblem)
        reportProblem(written ? std::string()
                              : UiFormat(UI_TEXT("Wingmate", "Run log lines are being lost: "
                                                             "could not write %1: %2"),
                                         {path, reason}));
}

// Each "\n" and "\r" ends a piece (so "\r\n" makes an empty one); a last
// piece is shown only when not empty.
void CRunLog::AppendToDisplay(const std::string& text) {
    size_t pieceStart = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const bool atEnd = i == text.size();
        if (!atEnd && text[i] != '\n' && text[i] != '\r')
            continue;
        if (atEnd && i == pieceStart)
            break;
        if (display)
            display->AppendDisplayLine(text.substr(pieceStart, i - pieceStart));
        ++displayLineCount;
        pieceStart = i + 1;
    }
}

bool CRunLog::ClearFile() {
    std::FILE* file = std::fopen(path.c_str(), "wbe");
    if (!file)
        return false;
    return std::fclose(file) == 0;
}

bool CRunLog::SaveCopyAs(const std::string& target, IMessageBox& messageBox) {
    std::error_code error;
    std::filesystem::copy_file(path, target, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error) {
        messageBox.Show(UiText(UI_TEXT("Wingmate", "Could not save Log File")),
                        UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
        return false;
    }
    return true;
}
