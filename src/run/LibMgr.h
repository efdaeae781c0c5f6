#pragma once
// The external function library manager of one engine run: loads the
// libraries named in "Externals.dat", lets them register their functions
// with the engine, lets them clean up after the run and unloads them when it
// is destroyed. Problems are appended to "LibMgrMessages.log" and never
// shown. It is also the engine's loader for the script statements `dll` and
// `unload`.
//
// Relative names (the list, the message log, libraries) resolve against the
// folder given at construction (the home folder), never the process's
// current directory, so runs on several threads need no chdir.

#include "engine/Engine.h"
#include "engine/ExternalLibraries.h"

#include <cstddef>
#include <string>
#include <vector>

// The end of `text` from a line start, at most about `budget` bytes, after
// a line saying older messages were removed; `text` itself when it fits.
std::string KeepNewestLines(const std::string& text, size_t budget);

// One loaded library.
struct ExternalLibrary {
    std::string name;          // as written in the list
    void* handle = nullptr;    // dlopen handle; null when not loaded
    int registrationCount = 0; // 1 after RegisterFunctions, -1 per clean-up
};

class CLibMgr : public IExternalLibraryLoader {
public:
    static constexpr const char* kListName = "Externals.dat";
    static constexpr const char* kMessageLogName = "LibMgrMessages.log";
    // A message that would take the log past this many bytes first trims it
    // (atomically) to its newest lines, about half of it.
    static constexpr size_t kMessageLogLimit = 256 * 1024;

    explicit CLibMgr(std::string folder);
    // Factory_ClearData, then every library is unloaded and its entry removed.
    ~CLibMgr() override;
    CLibMgr(const CLibMgr&) = delete;
    CLibMgr& operator=(const CLibMgr&) = delete;

    // Loads and registers every line of the list, in order. 0 when the list
    // cannot be opened (a warning is logged), else 1.
    int LoadList(CEngine* engine, const std::string& listName = kListName);
    // Loads `name` (again, in place, when already loaded) and calls its
    // RegisterFunctions. 1 on success, 0 with a logged message otherwise.
    int Register(const std::string& name, CEngine* engine);
    // Calls CleanUp of every library that has one, in load order. Returns 1.
    int UnregisterAll(CEngine* engine);

    // `dll` / `unload` of a running script.
    bool Load(const std::string& path, CEngine* engine, std::string& error) override;
    void Unload(const std::string& path, CEngine* engine) override;

    const std::vector<ExternalLibrary>& Libraries() const { return libraries; }
    // Where a library name is loaded from: a relative path with "/" against
    // the folder; a bare name from the folder when the file is there, else
    // from the first of the loader's search folders that holds it; the bare
    // name when none does (it is then not loaded). Before loading, the file,
    // each link hop and every folder above them up to "/" must be owned by
    // this user or root and writable by nobody else, or the library is
    // refused.
    std::string LibraryPath(const std::string& name) const;
    std::string MessageLogPath() const;

private:
    // Loads `entry` by its name and registers it; on failure returns false
    // with the message (one line, "\n" ended) in `message`.
    bool LoadEntry(ExternalLibrary& entry, CEngine* engine, std::string& message);
    void AppendMessage(const std::string& message) const;
    std::string InFolder(const std::string& name) const;
    ExternalLibrary* Find(const std::string& name);

    std::string folder;
    std::vector<ExternalLibrary> libraries;
};
