#pragma once
// What the engine needs from whoever loads external function libraries: the
// host sets a loader on the engine, and the script's `dll` / `unload`
// statements go through it. The engine groups the functions a library
// registers under its path (SetPackageName) and drops them on unload.

#include <string>

class CEngine;

class IExternalLibraryLoader {
public:
    virtual ~IExternalLibraryLoader() = default;
    // Loads the library at `path` and calls its RegisterFunctions(engine).
    // On failure returns false and explains in `error`.
    virtual bool Load(const std::string& path, CEngine* engine, std::string& error) = 0;
    // Calls the library's CleanUp(engine), when it has one, and unloads it.
    virtual void Unload(const std::string& path, CEngine* engine) = 0;
};
