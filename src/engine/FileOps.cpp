// File copies, reads and writes for the file builtins, on POSIX calls so
// that every failure reports the errno of the call that failed.
#include "engine/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tessera {

namespace {

constexpr size_t kChunk = 64 * 1024;

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
    throw ScriptError{"cannot " + what + " " + Quoted(path) + ": " + std::strerror(error)};
}

[[noreturn]] void FsFail(const std::string& what, const std::string& path,
                         const std::error_code& ec) {
    throw ScriptError{"cannot " + what + " " + Quoted(path) + ": " + ec.message()};
}

[[noreturn]] void TooLong(const BuiltinContext& ctx) {
    throw ScriptError{"string too long (more than " + std::to_string(ctx.maxString) + " bytes)"};
}

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int descriptor = -1) : fd(descriptor) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd; }
    void Reset(int descriptor = -1) {
        if (fd >= 0)
            ::close(fd);
        fd = descriptor;
    }
    // Closes and reports close's own failure (a late write error).
    int Close() {
        int result = fd >= 0 ? ::close(fd) : 0;
        fd = -1;
        return result;
    }

private:
    int fd;
};

void ClearNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// Writes all of `data`; returns 0 or the errno of the failed write.
int WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

// Follows symbolic links from `path` to the file they name (which need not
// exist yet).
std::string ResolveLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::error_code ec;
        fs::path link = fs::read_symlink(path, ec);
        if (ec)
            return path;
        path = link.is_absolute() ? link.string() : (fs::path(path).parent_path() / link).string();
    }
    Fail("open", path, ELOOP);
}

// The new content of one file: written to a temporary beside the target and
// renamed over it by Commit, so the old content survives any failure. An
// existing target's mode (and, where allowed, owner) carries over. Devices
// and FIFOs, and files in folders where no temporary can be made, are
// written in place.
class ReplacementFile {
public:
    // `verb` names the failure of opening ("create", "open"); `newMode` is
    // the mode of a new file (the umask applies).
    ReplacementFile(const std::string& target, mode_t newMode, const char* verb)
        : shownPath(target), finalPath(ResolveLinks(target)) {
        struct stat st;
        bool exists = ::stat(finalPath.c_str(), &st) == 0;
        if (exists && S_ISDIR(st.st_mode))
            Fail(verb, shownPath, EISDIR);
        if (exists && !S_ISREG(st.st_mode)) {
            OpenInPlace(verb);
            return;
        }
        int error = OpenTemporary(newMode);
        if (error == 0) {
            if (exists) {
                fchmod(out.Get(), st.st_mode & 07777);
                if (fchown(out.Get(), st.st_uid, st.st_gid) != 0) {
                    // Someone else's file in our folder: it becomes ours.
                }
            }
            return;
        }
        bool folderLocked = error == EACCES || error == EPERM || error == EROFS;
        if (!exists || !folderLocked || ::access(finalPath.c_str(), W_OK) != 0)
            Fail(verb, shownPath, error);
        OpenInPlace(verb);
    }
    ~ReplacementFile() {
        out.Reset();
        if (!tempPath.empty())
            ::unlink(tempPath.c_str());
    }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void Write(const char* data, size_t size) {
        if (int error = WriteAll(out.Get(), data, size))
            Fail("write", shownPath, error);
    }

    void Commit() {
        if (!tempPath.empty() && ::fsync(out.Get()) != 0 && errno != EINVAL)
            Fail("write", shownPath, errno);
        if (out.Close() != 0)
            Fail("write", shownPath, errno);
        if (tempPath.empty())
            return;
        if (::rename(tempPath.c_str(), finalPath.c_str()) != 0)
            Fail("replace", shownPath, errno);
        tempPath.clear();
    }

private:
    int OpenTemporary(mode_t mode) {
        fs::path target(finalPath);
        fs::path folder = target.parent_path();
        // Short enough that a target with the longest allowed name still
        // leaves room for the suffix.
        std::string base = "." + target.filename().string().substr(0, 200) + ".";
        auto seed = static_cast<unsigned long>(
            std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid());
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = base + std::to_string((seed + attempt * 7919UL) % 1000000007UL);
            std::string path = folder.empty() ? name : (folder / name).string();
            int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd >= 0) {
                out.Reset(fd);
                tempPath = path;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    void OpenInPlace(const char* verb) {
        // Non-blocking so that a FIFO without a reader fails instead of
        // hanging; writes then block as usual.
        int fd = ::open(finalPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            Fail(verb, shownPath, errno);
        ClearNonBlocking(fd);
        out.Reset(fd);
    }

    std::string shownPath;
    std::string finalPath;
    std::string tempPath; // empty when writing in place or after Commit
    Fd out;
};

// Waits until `fd` can be read, waking every few milliseconds for Stop.
void WaitReadable(int fd, const BuiltinContext& ctx) {
    for (;;) {
        if (ctx.StopRequested())
            throw StopSignal{"script stopped"};
        struct pollfd p {
            fd, POLLIN, 0
        };
        int ready = ::poll(&p, 1, 20);
        if (ready > 0)
            return;
        if (ready < 0 && errno != EINTR)
            return; // the read that follows reports the cause
    }
}

using FileId = std::pair<dev_t, ino_t>;

FileId IdOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

// One level of a folder copy; `busy` holds the folders on the current
// source path and every folder written so far.
void CopyFolderLevel(const fs::path& from, const fs::path& to, const BuiltinContext& ctx,
                     std::set<FileId>& busy) {
    std::error_code ec;
    fs::directory_iterator it(from, ec), end;
    if (ec)
        FsFail("open folder", from.string(), ec);
    for (; it != end; it.increment(ec)) {
        if (ctx.StopRequested())
            throw StopSignal{"script stopped"};
        fs::path source = it->path();
        fs::path target = to / source.filename();
        struct stat st;
        if (::stat(source.c_str(), &st) != 0)
            Fail("copy", source.string(), errno);
        if (S_ISDIR(st.st_mode)) {
            if (busy.count(IdOf(st)))
                throw ScriptError{"cannot copy " + Quoted(source.string()) +
                                  ": it leads back into a folder of this copy"};
            fs::create_directory(target, ec);
            if (ec)
                FsFail("create folder", target.string(), ec);
            struct stat made;
            if (::stat(target.c_str(), &made) != 0)
                Fail("create folder", target.string(), errno);
            busy.insert(IdOf(made));
            busy.insert(IdOf(st));
            CopyFolderLevel(source, target, ctx, busy);
            busy.erase(IdOf(st));
        } else if (S_ISREG(st.st_mode)) {
            CopyFileSafely(source.string(), target.string(), ctx, false);
        } else {
            throw ScriptError{"cannot copy " + Quoted(source.string()) +
                              ": not a regular file or folder"};
        }
    }
    if (ec)
        FsFail("read folder", from.string(), ec);
}

} // namespace

void CopyFileSafely(const std::string& from, const std::string& to, const BuiltinContext& ctx,
                    bool intoFolder) {
    std::error_code ec;
    std::string target = to;
    if (intoFolder && fs::is_directory(to, ec))
        target = (fs::path(to) / fs::path(from).filename()).string();
    // Non-blocking so that a FIFO cannot hang the open.
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.Get() < 0)
        Fail("open", from, errno);
    struct stat source;
    if (::fstat(in.Get(), &source) != 0)
        Fail("open", from, errno);
    if (S_ISDIR(source.st_mode))
        Fail("open", from, EISDIR);
    if (!S_ISREG(source.st_mode))
        throw ScriptError{"cannot copy " + Quoted(from) + ": not a regular file"};
    ClearNonBlocking(in.Get());
    struct stat existing;
    if (::stat(target.c_str(), &existing) == 0 && IdOf(existing) == IdOf(source))
        throw ScriptError{Quoted(from) + " and " + Quoted(target) + " are the same file"};

    ReplacementFile out(target, source.st_mode & 0777, "create");
    std::vector<char> buffer(kChunk);
    for (;;) {
        ssize_t n = ::read(in.Get(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("read", from, errno);
        }
        if (n == 0)
            break;
        out.Write(buffer.data(), static_cast<size_t>(n));
        if (ctx.StopRequested())
            throw StopSignal{"script stopped"};
    }
    out.Commit();
}

void CopyFolder(const std::string& from, const std::string& to, const BuiltinContext& ctx) {
    std::error_code ec;
    if (!fs::is_directory(from, ec))
        Fail("open folder", from, fs::exists(from, ec) ? ENOTDIR : ENOENT);
    fs::path source = fs::canonical(from, ec);
    if (ec)
        FsFail("open folder", from, ec);
    fs::path target = fs::weakly_canonical(fs::absolute(to, ec), ec);
    if (ec)
        FsFail("create folder", to, ec);
    if (target.filename().empty())
        target = target.parent_path();
    auto [sourceEnd, targetAt] =
        std::mismatch(source.begin(), source.end(), target.begin(), target.end());
    if (sourceEnd == source.end())
        throw ScriptError{"cannot copy folder " + Quoted(from) + " into " + Quoted(to) +
                          (targetAt == target.end() ? ": it is the same folder"
                                                    : ": the target is inside the source")};
    fs::create_directories(to, ec);
    if (ec)
        FsFail("create folder", to, ec);
    struct stat st;
    std::set<FileId> busy;
    if (::stat(source.c_str(), &st) == 0)
        busy.insert(IdOf(st));
    if (::stat(to.c_str(), &st) == 0)
        busy.insert(IdOf(st));
    CopyFolderLevel(from, to, ctx, busy);
}

std::string ReadWholeFile(const std::string& path, const BuiltinContext& ctx) {
    // Non-blocking: a FIFO without a writer must not hang the open.
    Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.Get() < 0)
        Fail("open", path, errno);
    struct stat st;
    if (::fstat(in.Get(), &st) != 0)
        Fail("open", path, errno);
    if (S_ISDIR(st.st_mode))
        Fail("open", path, EISDIR);
    std::string text;
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
        if (static_cast<uint64_t>(st.st_size) > ctx.maxString)
            TooLong(ctx);
        text.reserve(static_cast<size_t>(st.st_size));
    }
    // A FIFO opened without a writer reads as ended at once; wait for data
    // (or for a writer that closes) before every read.
    bool fifo = S_ISFIFO(st.st_mode);
    std::vector<char> buffer(kChunk);
    for (;;) {
        if (fifo)
            WaitReadable(in.Get(), ctx);
        ssize_t n = ::read(in.Get(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                WaitReadable(in.Get(), ctx);
                continue;
            }
            Fail("read", path, errno);
        }
        if (n == 0)
            break;
        if (text.size() + static_cast<size_t>(n) > ctx.maxString)
            TooLong(ctx);
        text.append(buffer.data(), static_cast<size_t>(n));
        if (ctx.StopRequested())
            throw StopSignal{"script stopped"};
    }
    return text;
}

void ReplaceFileContent(const std::string& path, std::string_view text) {
    ReplacementFile out(path, 0666, "open");
    out.Write(text.data(), text.size());
    out.Commit();
}

void AppendToFile(const std::string& path, std::string_view text) {
    Fd out(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
    if (out.Get() < 0)
        Fail("open", path, errno);
    struct stat st;
    if (::fstat(out.Get(), &st) == 0 && S_ISDIR(st.st_mode))
        Fail("open", path, EISDIR);
    ClearNonBlocking(out.Get());
    if (int error = WriteAll(out.Get(), text.data(), text.size()))
        Fail("write", path, error);
    if (out.Close() != 0)
        Fail("write", path, errno);
}

} // namespace tessera
