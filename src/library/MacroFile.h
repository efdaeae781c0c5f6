#pragma once
// Binary macro library file: a 4-byte header followed by records in tree
// pre-order, integers little-endian, texts as length + bytes.

#include "library/Macro.h"
#include "ports/Clock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

// What a save did besides writing the library, and why it failed.
struct SaveReport {
    // Where a library file that did not load was kept aside before it was
    // replaced ("Macros.mcf.damaged-YYYYMMDD-HHMMSS"); empty when none was.
    std::string keptAside;
    // Why the save failed (path and reason); empty after a success.
    std::string error;
    // Why the backup could not be refreshed; the save itself went on.
    std::string backupError;
    // Where an extras file that did not read whole, or that lay beside no
    // library, was kept aside ("Macros.mcf.ext.damaged-YYYYMMDD-HHMMSS");
    // empty when none was.
    std::string extrasKeptAside;
};

// Removes the temporaries that saves of the library, its backup and its
// recovery copy in `home` left when killed (see RemoveStaleTemporaries).
int RemoveStaleLibraryTemporaries(const std::string& home);

class CMacroFile {
public:
    static constexpr int32_t kFormatValue = 8192;
    static constexpr const char* kLibraryName = "Macros.mcf";
    static constexpr const char* kBackupName = "Macros.bak";
    // The extras of the macros in a library file live beside it, in the
    // file of the same name with this added (Macros.mcf.ext, Macros.bak.ext).
    static constexpr const char* kExtrasSuffix = ".ext";
    static std::string ExtrasPath(const std::string& libraryFile) {
        return libraryFile + kExtrasSuffix;
    }

    CMacroFile();
    virtual ~CMacroFile();

    // directory empty: bare file names; else directory + "/" + name.
    void SetPaths(const std::string& directory);

    // Saves the tree over libraryPath. The file there is read first: when
    // it loads it is copied over the backup; when it does not (damaged,
    // cut short) it is kept aside under a new name instead and the backup is
    // left alone; when it cannot be read at all (a folder, no permission)
    // nothing is written. A missing file is simply created. The library is
    // written atomically and keeps its mode and link. 1 on success, 0 on
    // failure (the old file and the backup stay as they were). The extras
    // file goes along: to the backup with the library, aside with it, or
    // aside alone when it does not read whole.
    int Save(const CMacroNode* root, SaveReport* report = nullptr) const;

    // Writes the tree atomically to any path, leaving libraryPath and the
    // backup alone (a recovery copy, a salvaged library), then its extras
    // beside it (ExtrasPath). 1 or 0 with `error`.
    int WriteTo(const CMacroNode* root, const std::string& path, std::string* error) const;

    // Whether these bytes load as a library (the acceptance of a load).
    static bool BytesLoad(std::string_view bytes);

    // The clock that dates a kept-aside file; null for the system clock.
    void SetClock(const IClock* source) { clock = source; }

    // Encodes a tree as the file's bytes, handing them to `sink` in chunks
    // of about a megabyte; stops with false as soon as `sink` fails.
    bool EncodeTo(const CMacroNode* root,
                  const std::function<bool(const std::string&)>& sink) const;
    std::string Encode(const CMacroNode* root) const;
    // The extras file's text for the macros of the tree; empty when no
    // macro has any.
    static std::string EncodeExtras(const CMacroNode* root);

    // Reads a whole file and hands each record to `record` in file order.
    // Returns false when the file cannot be read, ends inside a record, or
    // holds a text length that is negative or runs past the end; also false
    // when `record` returns false. `header` receives the first 4 bytes (a
    // file shorter than that yields no records).
    static bool ReadRecords(const std::string& path, int32_t& header,
                            const std::function<bool(CMacro&&)>& record);
    // A regular file's bytes; false (with `error`) for a missing file, a
    // folder, no permission, a read error or a file too large for memory.
    static bool ReadWholeFile(const std::string& path, std::string& bytes,
                              std::string* error = nullptr);
    // `consumed` (when given) receives the offset just past the last whole
    // record: where a damaged file stops making sense.
    static bool DecodeRecords(std::string_view bytes, int32_t& header,
                              const std::function<bool(CMacro&&)>& record,
                              size_t* consumed = nullptr);

    int32_t formatValue = kFormatValue;
    std::string libraryPath = "c:\\Projects\\Wingmate\\Temp.mac";
    std::string backupPath;

private:
    bool KeepAside(const std::string& path, std::string_view bytes, mode_t mode,
                   std::string& keptAs, std::string& error) const;
    // Writes the tree's extras beside `path`. With no extras nothing is
    // written, unless a file is there already: it is emptied of entries
    // (not deleted, so a link to it stays a link).
    bool WriteExtras(const CMacroNode* root, const std::string& path, std::string* error) const;
    // Refreshes the backup's extras from `extras` (the current file's text,
    // empty when there is none to copy).
    void BackUpExtras(const std::string& extras, mode_t mode, SaveReport& report) const;

    const IClock* clock = nullptr;
};
