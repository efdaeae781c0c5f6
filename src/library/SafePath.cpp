#include "library/SafePath.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxLinkHops = 40;

std::string Octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

std::string ParentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RealPath(const std::string& path, std::string& why) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        why = "cannot resolve " + path + ": " + std::strerror(errno);
        return "";
    }
    std::string resolved = real;
    std::free(real);
    return resolved;
}

// The user's own private group: their primary group, with nobody else in it
// (the usual one-group-per-user layout, where a umask of 002 is common).
bool IsPrivateGroup(gid_t group) {
    std::vector<char> buffer(16384);
    passwd user{};
    passwd* userFound = nullptr;
    while (::getpwuid_r(::geteuid(), &user, buffer.data(), buffer.size(), &userFound) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (!userFound || user.pw_gid != group)
        return false;
    const std::string name = user.pw_name;
    std::vector<char> groupBuffer(16384);
    struct group entry {};
    struct group* groupFound = nullptr;
    while (::getgrgid_r(group, &entry, groupBuffer.data(), groupBuffer.size(), &groupFound) ==
               ERANGE &&
           groupBuffer.size() < (1u << 20))
        groupBuffer.resize(groupBuffer.size() * 2);
    if (!groupFound)
        return false;
    for (char** member = entry.gr_mem; member && *member; ++member)
        if (name != *member)
            return false;
    return true;
}

bool CheckEntry(const std::string& path, bool stickyOk, struct stat& info, std::string& why) {
    if (::lstat(path.c_str(), &info) != 0) {
        why = "cannot examine " + path + ": " + std::strerror(errno);
        return false;
    }
    why = UntrustedReason(path, info.st_uid, info.st_gid, info.st_mode, stickyOk);
    return why.empty();
}

// `folder` is already free of links: itself and each folder above it. A
// sticky folder above `folder` is always trusted: nobody else can rename
// `folder` or what leads to it out of it (a checkout under /tmp).
bool CheckFolderChain(const std::string& folder, bool stickyOk, std::string& why) {
    for (std::string current = folder;; current = ParentOf(current)) {
        struct stat info {};
        if (!CheckEntry(current, stickyOk || current != folder, info, why))
            return false;
        if (current == "/")
            return true;
    }
}

} // namespace

std::string UntrustedReason(const std::string& path, uid_t owner, gid_t group, mode_t mode,
                            bool stickyFolderOk) {
    if (owner != ::geteuid() && owner != 0)
        return path + " is owned by uid " + std::to_string(owner) + ", neither you nor root";
    if (S_ISLNK(mode))
        return "";
    const bool stickyFolder = S_ISDIR(mode) && (mode & S_ISVTX) != 0;
    if (stickyFolder && stickyFolderOk)
        return "";
    if (mode & S_IWOTH)
        return path + " is writable by others (mode " + Octal(mode) + ")";
    if ((mode & S_IWGRP) && !IsPrivateGroup(group))
        return path + " is writable by its group (mode " + Octal(mode) + ")";
    return "";
}

bool CheckTrustedPath(const std::string& path, bool stickyFoldersOk, std::string& why) {
    if (path.empty()) {
        why = "empty path";
        return false;
    }
    std::string current = path;
    if (current[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            why = std::string("cannot find the current folder: ") + std::strerror(errno);
            return false;
        }
        current = std::string(cwd) + "/" + current;
    }
    for (int hops = 0; hops <= kMaxLinkHops; ++hops) {
        while (current.size() > 1 && current.back() == '/')
            current.pop_back();
        const std::string base = current.substr(current.rfind('/') + 1);
        if (base.empty() || base == "." || base == "..") {
            // A folder named by "/", "." or "..": its resolved chain.
            const std::string folder = RealPath(current, why);
            return !folder.empty() && CheckFolderChain(folder, stickyFoldersOk, why);
        }
        // The folder holding the entry, links resolved, then the entry.
        const std::string folder = RealPath(ParentOf(current), why);
        if (folder.empty() || !CheckFolderChain(folder, stickyFoldersOk, why))
            return false;
        const std::string entry = (folder == "/" ? "" : folder) + "/" + base;
        struct stat info {};
        if (!CheckEntry(entry, stickyFoldersOk, info, why))
            return false;
        if (!S_ISLNK(info.st_mode))
            return true;
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t length = ::readlink(entry.c_str(), target.data(), target.size() - 1);
        if (length < 0) {
            why = "cannot read the link " + entry + ": " + std::strerror(errno);
            return false;
        }
        const std::string link(target.data(), static_cast<size_t>(length));
        current = !link.empty() && link[0] == '/' ? link : folder + "/" + link;
    }
    why = path + ": too many symbolic links";
    return false;
}

bool EnsurePrivateFolder(const std::string& path, std::string& why) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        why = "cannot create the folder " + path + ": " + std::strerror(errno);
        return false;
    }
    return IsPrivateFolder(path, why);
}

bool IsPrivateFolder(const std::string& path, std::string& why) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        why = "cannot examine " + path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISLNK(info.st_mode))
        why = path + " is a symbolic link, not a private folder";
    else if (!S_ISDIR(info.st_mode))
        why = path + " is not a folder";
    else if (info.st_uid != ::geteuid())
        why = path + " is owned by uid " + std::to_string(info.st_uid) + ", not by you";
    else if (info.st_mode & 077)
        why = path + " can be entered by others (mode " + Octal(info.st_mode) + ")";
    else
        return true;
    return false;
}

bool CreateFoldersPrivately(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty())
            ::mkdir(part.c_str(), 0700);
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
