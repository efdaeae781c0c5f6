#pragma once
// Binary macro library file: a 4-byte header followed by records in tree
// pre-order, integers little-endian, texts as length + bytes.

#include "library/Macro.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CMacroFile {
public:
    static constexpr int32_t kFormatValue = 8192;
    static constexpr const char* kLibraryName = "Macros.mcf";
    static constexpr const char* kBackupName = "Macros.bak";

    CMacroFile();
    virtual ~CMacroFile();

    // directory empty: bare file names; else directory + "/" + name.
    void SetPaths(const std::string& directory);

    // Refreshes the backup from the current file, then writes the whole tree
    // to a temporary file beside libraryPath and renames it over it, so a
    // failed write never leaves a half-written library. 1 on success, 0 when
    // the file could not be written (the old file and the backup stay).
    int Save(const CMacroNode* root) const;

    // Encodes a tree as the file's bytes, handing them to `sink` in chunks
    // of about a megabyte; stops with false as soon as `sink` fails.
    bool EncodeTo(const CMacroNode* root,
                  const std::function<bool(const std::string&)>& sink) const;
    std::string Encode(const CMacroNode* root) const;

    // Reads a whole file and hands each record to `record` in file order.
    // Returns false when the file cannot be read, ends inside a record, or
    // holds a text length that is negative or runs past the end; also false
    // when `record` returns false. `header` receives the first 4 bytes (a
    // file shorter than that yields no records).
    static bool ReadRecords(const std::string& path, int32_t& header,
                            const std::function<bool(CMacro&&)>& record);
    static bool ReadWholeFile(const std::string& path, std::string& bytes);
    static bool DecodeRecords(std::string_view bytes, int32_t& header,
                              const std::function<bool(CMacro&&)>& record);

    int32_t formatValue = kFormatValue;
    std::string libraryPath = "c:\\Projects\\Wingmate\\Temp.mac";
    std::string backupPath;
};
