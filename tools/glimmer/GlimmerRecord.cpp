#include "GlimmerRecord.h"

#include "editor/DeclList.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char* const kReservedWords[] = {
    "include", "use",   "function", "define", "dll",    "return", "if",    "for",
    "while",   "else",  "true",     "false",  "try",    "catch",  "clear", "unload",
    "package", "exit",  "int",      "float",  "string", "bool",   "list",  "var",
    "void",    "break", "continue", "in",     "throw",
};

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Holds an exclusive lock on a folder for as long as it lives.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder) {
        fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0)
            while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FolderLock() {
        if (fd >= 0)
            ::close(fd); // releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd = -1;
};

std::vector<std::string> AllNames(const CDeclNode& fileNode, int& count) {
    std::vector<std::string> names;
    std::vector<const CDeclNode*> pending;
    if (fileNode.firstChild)
        pending.push_back(fileNode.firstChild);
    while (!pending.empty()) {
        const CDeclNode* node = pending.back();
        pending.pop_back();
        names.push_back(node->name);
        if (node->next)
            pending.push_back(node->next);
        if (node->firstChild)
            pending.push_back(node->firstChild);
    }
    count = static_cast<int>(names.size());
    return names;
}

} // namespace

std::string DeclNameFromClass(std::string_view windowClass) {
    std::string name;
    bool pendingSeparator = false;
    for (char c : windowClass) {
        if (!IsIdentifierChar(c)) {
            pendingSeparator = !name.empty();
            continue;
        }
        if (pendingSeparator)
            name += '_';
        pendingSeparator = false;
        name += c;
    }
    if (name.empty())
        return "Window";
    if (name.front() >= '0' && name.front() <= '9')
        name.insert(0, "W");
    if (std::find(std::begin(kReservedWords), std::end(kReservedWords), name) !=
        std::end(kReservedWords))
        name += "Window";
    return name;
}

std::string UniqueDeclName(const std::string& base, const std::vector<std::string>& taken) {
    std::string name = base;
    for (int suffix = 2; std::find(taken.begin(), taken.end(), name) != taken.end(); ++suffix)
        name = base + std::to_string(suffix);
    return name;
}

bool AppendWindowRecord(const std::string& path, const std::string& title,
                        const std::string& windowClass, WindowRecordResult& result,
                        std::string& error) {
    if (path.empty()) {
        error = "no declarations file was given";
        return false;
    }
    if (windowClass.empty()) {
        error =
            "the window has no class (WM_CLASS), and a declaration without a class loses its name";
        return false;
    }
    FolderLock lock(std::filesystem::path(path).parent_path());

    CDeclList list;
    std::error_code ec;
    // Anything but a plain "no such file" is read (and reports its own fault).
    const bool exists =
        std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
    std::string readError;
    if (exists ? !list.Load(path, "", &readError) : !list.LoadText(path, "", &readError)) {
        error = readError + " (the file was left as it is)";
        return false;
    }
    CDeclNode* fileNode = list.First();
    int count = 0;
    const std::vector<std::string> taken = AllNames(*fileNode, count);

    CDeclNode values;
    values.type = "Window";
    values.name = UniqueDeclName(DeclNameFromClass(windowClass), taken);
    values.tag = title;
    values.cls = windowClass;
    values.isParent = 1;
    values.isChild = 0;
    list.Append(fileNode, values);
    if (!list.SaveAll("", &error))
        return false;
    result.name = values.name;
    result.declarations = count + 1;
    return true;
}
