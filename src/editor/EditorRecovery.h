#pragma once
// Recovery copies of the script editors' unsaved text and declarations, in
// "<home>/Recovery":
// one file per modified editor, written a second or two after typing stops
// and at the end of the session, so a crash, a kill or a logout loses at most
// that much. A save, a "No" to the close question or the text returning to
// its saved state deletes the editor's copy; copies found at the next start
// were left by a run that did not end cleanly.

#include <cstdint>
#include <string>
#include <vector>

// What one editor held: the text exactly as the editor has it (UTF-8, "\n"
// line breaks) and how its file is written, so a recovered editor saves the
// same bytes the lost one would have.
struct EditorRecoveryCopy {
    std::string file;       // the copy's own path in the recovery folder
    std::string scriptPath; // the script the text belongs to; empty: untitled
    std::string text;
    bool latin1 = false; // the script is written one byte per character
    bool crlf = false;   // the script's line breaks are "\r\n"
    // Declarations edited in the window and not yet saved: each file's name
    // as its use line wrote it, its text in the canonical format, and what
    // the file held when the editor read it (so a save after recovery still
    // notices another program's version).
    struct Declarations {
        std::string fileName;
        std::string text;
        std::string diskText;
        bool diskKnown = false;
    };
    std::vector<Declarations> declarations;
    // The script file as the editor last read or wrote it, so that saving
    // the recovered text still notices a version another program wrote
    // since (before or after the crash).
    struct DiskStamp {
        bool known = false;
        long long size = 0;
        long long mtimeNs = 0;
    };
    DiskStamp disk;
    // The script's text was not edited (the copy is for its declarations):
    // a script that is still on disk is taken from there, so a version
    // written since is not replaced by this older text.
    bool textUnedited = false;
};

class CEditorRecovery {
public:
    static constexpr const char* kSuffix = ".recovery";

    explicit CEditorRecovery(std::string home);

    std::string Folder() const { return folder; }
    // A name for a new editor's copy, taken by no file and by no earlier call
    // in this process.
    std::string NewCopyPath();

    // Writes `copy` to copy.file (the folder is made when missing) through a
    // temporary file. false with `error` when it could not be written.
    bool Write(const EditorRecoveryCopy& copy, std::string* error) const;
    // Deletes a copy (a missing one is fine).
    static void Remove(const std::string& file);

    // The whole copies in the folder, by name. A file that cannot be read or
    // is not a whole copy (cut short, damaged, some other file) is left out
    // and left alone.
    // `unreadable`, when given, receives the paths of the copies left out.
    std::vector<EditorRecoveryCopy> List(std::vector<std::string>* unreadable = nullptr) const;
    // Renames a copy to "<file>-YYYYMMDD-HHMMSS" (with "-2", "-3"... when
    // that is taken), out of the next List; the new name, or empty with
    // `error`.
    static std::string KeepAside(const std::string& file, int64_t now, std::string* error);

    // The file's bytes for a copy, and back; Decode is false for anything
    // but a whole copy.
    static std::string Encode(const EditorRecoveryCopy& copy);
    static bool Decode(const std::string& bytes, EditorRecoveryCopy& copy);

private:
    std::string folder;
    int serial = 0;
};
