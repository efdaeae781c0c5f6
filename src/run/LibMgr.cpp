#include "run/LibMgr.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>

namespace {

using ApiVersionFn = int (*)();

std::string Format(const char* format, const std::string& name, long number = 0) {
    int size = std::snprintf(nullptr, 0, format, name.c_str(), number);
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, name.c_str(), number);
    return text;
}

} // namespace

CLibMgr::CLibMgr(std::string baseFolder) : folder(std::move(baseFolder)) {}

CLibMgr::~CLibMgr() {
    Factory_ClearData();
    for (ExternalLibrary& entry : libraries) {
        if (entry.handle)
            dlclose(entry.handle);
        entry.handle = nullptr;
        entry.name.clear();
    }
    libraries.clear();
}

std::string CLibMgr::InFolder(const std::string& name) const {
    if (name.empty() || name[0] == '/' || folder.empty())
        return name;
    return folder + "/" + name;
}

std::string CLibMgr::MessageLogPath() const {
    return InFolder(kMessageLogName);
}

std::string CLibMgr::LibraryPath(const std::string& name) const {
    if (name.empty() || name[0] == '/')
        return name;
    if (name.find('/') != std::string::npos)
        return InFolder(name);
    std::error_code ec;
    std::string local = InFolder(name);
    if (std::filesystem::is_regular_file(local, ec))
        return local;
    return name;
}

void CLibMgr::AppendMessage(const std::string& message) const {
    if (std::FILE* log = std::fopen(MessageLogPath().c_str(), "ae")) {
        std::fputs(message.c_str(), log);
        std::fclose(log);
    }
}

ExternalLibrary* CLibMgr::Find(const std::string& name) {
    for (ExternalLibrary& entry : libraries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

int CLibMgr::LoadList(CEngine* engine, const std::string& listName) {
    // A folder opens for reading but yields no lines, and a FIFO would block
    // the run: either is a list that cannot be read, not an empty one.
    std::error_code ec;
    const auto status = std::filesystem::status(InFolder(listName), ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        AppendMessage(Format("Warning: %s (external DLL list) is not a regular file\n", listName));
        return 0;
    }
    File list;
    if (!list.Open(InFolder(listName).c_str(), "r")) {
        AppendMessage(Format("Warning: %s (external DLL list) not found\n", listName));
        return 0;
    }
    String line;
    while (list.ReadLine(line) >= 0) {
        engine->SetPackageName(line);
        Register(line.Std(), engine);
    }
    return 1;
}

int CLibMgr::Register(const std::string& name, CEngine* engine) {
    std::string message;
    if (ExternalLibrary* existing = Find(name)) {
        if (LoadEntry(*existing, engine, message))
            return 1;
        AppendMessage(message);
        return 0;
    }
    ExternalLibrary entry;
    entry.name = name;
    if (!LoadEntry(entry, engine, message)) {
        AppendMessage(message);
        return 0;
    }
    libraries.push_back(std::move(entry));
    return 1;
}

// Loading an entry that is already loaded takes a new reference and drops
// the old one, so the entry always holds exactly one and its unloading
// really unloads the library.
bool CLibMgr::LoadEntry(ExternalLibrary& entry, CEngine* engine, std::string& message) {
    entry.registrationCount = 0;
    void* previous = entry.handle;
    errno = 0;
    dlerror();
    // The loader sees a name only up to a NUL byte, so such a name would load
    // a library the list does not name (the program itself for a leading NUL).
    const bool hasNul = entry.name.find('\0') != std::string::npos;
    void* handle =
        entry.name.empty() || hasNul ? nullptr : dlopen(LibraryPath(entry.name).c_str(), RTLD_NOW);
    int errorCode = errno;
    if (!handle) {
        const char* why = entry.name.empty() ? "empty library name"
                          : hasNul           ? "the library name holds a NUL byte"
                                             : dlerror();
        if (entry.name.empty())
            errorCode = ENOENT;
        else if (hasNul)
            errorCode = EINVAL;
        message = Format("Error: Could not load DLL: %s (See Externals.dat) - Error Code: %ld",
                         entry.name, errorCode);
        if (why)
            message += std::string(" - ") + why;
        message += "\n";
        return false; // a reloaded entry keeps its previous reference
    }
    if (previous)
        dlclose(previous);
    entry.handle = handle;
    auto registerFunctions =
        reinterpret_cast<TesseraRegisterFunctions>(dlsym(handle, "RegisterFunctions"));
    auto apiVersion = reinterpret_cast<ApiVersionFn>(dlsym(handle, "TesseraPluginApiVersion"));
    if (!registerFunctions) {
        message = Format("Error: RegisterFunctions not found in %s\n", entry.name);
    } else if (!apiVersion) {
        message = Format("Error: TesseraPluginApiVersion not found in %s (build it against "
                         "engine/TesseraPlugin.h with TESSERA_PLUGIN_EXPORT_API_VERSION())\n",
                         entry.name);
    } else if (int version = apiVersion(); version != TESSERA_PLUGIN_API_VERSION) {
        message = Format("Error: %s was built for plugin API version %ld", entry.name, version) +
                  " but this engine has version " + std::to_string(TESSERA_PLUGIN_API_VERSION) +
                  "\n";
    } else {
        registerFunctions(engine);
        entry.registrationCount = 1;
        return true;
    }
    dlclose(handle);
    entry.handle = nullptr;
    return false;
}

int CLibMgr::UnregisterAll(CEngine* engine) {
    for (ExternalLibrary& entry : libraries) {
        if (entry.handle) {
            if (auto cleanUp = reinterpret_cast<TesseraCleanUp>(dlsym(entry.handle, "CleanUp")))
                cleanUp(engine);
        }
        --entry.registrationCount;
    }
    return 1;
}

bool CLibMgr::Load(const std::string& path, CEngine* engine, std::string& error) {
    std::string message;
    ExternalLibrary* existing = Find(path);
    ExternalLibrary fresh;
    fresh.name = path;
    ExternalLibrary& entry = existing ? *existing : fresh;
    if (!LoadEntry(entry, engine, message)) {
        while (!message.empty() && message.back() == '\n')
            message.pop_back();
        error = message;
        return false;
    }
    if (!existing)
        libraries.push_back(std::move(fresh));
    return true;
}

void CLibMgr::Unload(const std::string& path, CEngine* engine) {
    for (auto it = libraries.begin(); it != libraries.end(); ++it) {
        if (it->name != path)
            continue;
        if (it->handle) {
            if (auto cleanUp = reinterpret_cast<TesseraCleanUp>(dlsym(it->handle, "CleanUp")))
                cleanUp(engine);
            dlclose(it->handle);
        }
        libraries.erase(it);
        return;
    }
}
