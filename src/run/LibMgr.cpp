#include "run/LibMgr.h"

#include "library/AtomicFile.h"
#include "library/SafePath.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <mutex>
#include <sys/stat.h>

namespace {

using ApiVersionFn = int (*)();

std::string Format(const char* format, const std::string& name, long number = 0) {
    int size = std::snprintf(nullptr, 0, format, name.c_str(), number);
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, name.c_str(), number);
    return text;
}

AtomicWriteOptions PrivateFile() {
    AtomicWriteOptions options;
    options.newFileMode = 0600;
    return options;
}

// The folders the loader searches for a bare name ($LD_LIBRARY_PATH, the
// program's run path, the system folders), in its order. Its cache of
// /etc/ld.so.conf folders is not among them.
std::vector<std::string> LoaderSearchFolders() {
    std::vector<std::string> folders;
    void* self = dlopen(nullptr, RTLD_NOW);
    if (!self)
        return folders;
    Dl_serinfo size{};
    if (dlinfo(self, RTLD_DI_SERINFOSIZE, &size) == 0 && size.dls_size >= sizeof(Dl_serinfo)) {
        std::vector<std::max_align_t> buffer(size.dls_size / sizeof(std::max_align_t) + 1);
        auto* info = reinterpret_cast<Dl_serinfo*>(buffer.data());
        *info = size;
        if (dlinfo(self, RTLD_DI_SERINFO, info) == 0)
            for (unsigned i = 0; i < info->dls_cnt; ++i)
                if (info->dls_serpath[i].dls_name && *info->dls_serpath[i].dls_name)
                    folders.emplace_back(info->dls_serpath[i].dls_name);
    }
    dlclose(self);
    return folders;
}

} // namespace

std::string KeepNewestLines(const std::string& text, size_t budget) {
    static const std::string notice = "===== Older messages removed =====\n";
    if (text.size() <= budget)
        return text;
    size_t start = text.size() - budget;
    if (text[start - 1] != '\n') {
        // Begin at a whole line; a single line longer than the budget keeps its end.
        const size_t nextLine = text.find('\n', start);
        if (nextLine != std::string::npos && nextLine + 1 < text.size())
            start = nextLine + 1;
    }
    return notice + text.substr(start);
}

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
        return local.find('/') == std::string::npos ? "./" + local : local;
    for (const std::string& searched : LoaderSearchFolders()) {
        const std::string candidate = searched + "/" + name;
        if (std::filesystem::is_regular_file(candidate, ec))
            return candidate;
    }
    return name;
}

void CLibMgr::AppendMessage(const std::string& message) const {
    // Managers on several worker threads share the file.
    static std::mutex logLock;
    const std::lock_guard<std::mutex> hold(logLock);
    const std::string path = MessageLogPath();
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<size_t>(info.st_size) + message.size() > kMessageLogLimit) {
        std::string bytes;
        if (ReadRegularFile(path, bytes, nullptr) &&
            WriteFileAtomically(path, KeepNewestLines(bytes + message, kMessageLogLimit / 2),
                                nullptr, PrivateFile()))
            return;
    }
    if (std::FILE* log = OpenForAppend(path)) {
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
    // A list someone else can change names the code this user runs.
    std::string why;
    if (!ec && std::filesystem::exists(status) &&
        !CheckTrustedPath(InFolder(listName), true, why)) {
        AppendMessage(Format("Warning: %s (external DLL list) refused: ", listName) + why + "\n");
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
    std::error_code ec;
    dlerror();
    // The loader sees a name only up to a NUL byte, so such a name would load
    // a library the list does not name (the program itself for a leading NUL).
    const bool hasNul = entry.name.find('\0') != std::string::npos;
    const std::string path = entry.name.empty() || hasNul ? "" : LibraryPath(entry.name);
    std::string refusal;
    int errorCode = 0;
    if (entry.name.empty()) {
        refusal = "empty library name";
        errorCode = ENOENT;
    } else if (hasNul) {
        refusal = "the library name holds a NUL byte";
        errorCode = EINVAL;
    } else if (path.find('/') == std::string::npos) {
        refusal = "not found in the home folder nor in the loader's search folders";
        errorCode = ENOENT;
    } else if (!CheckTrustedPath(path, false, refusal)) {
        // Code someone else could have changed never runs as this user.
        const bool present = std::filesystem::exists(path, ec);
        refusal = present ? "refused: " + refusal : refusal;
        errorCode = present ? EACCES : ENOENT;
    }
    void* handle = nullptr;
    if (refusal.empty()) {
        errno = 0;
        handle = dlopen(path.c_str(), RTLD_NOW);
        errorCode = errno;
        if (!handle) {
            const char* why = dlerror();
            refusal = why ? why : "";
        }
    }
    if (!handle) {
        message = Format("Error: Could not load DLL: %s (See Externals.dat) - Error Code: %ld",
                         entry.name, errorCode);
        if (!refusal.empty())
            message += " - " + refusal;
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
