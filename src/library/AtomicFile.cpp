#include "library/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

AtomicWriteFault& FaultHook() {
    static AtomicWriteFault hook;
    return hook;
}

int InjectedFault(const std::string& target, AtomicWriteStage stage, size_t bytesWritten) {
    const AtomicWriteFault& hook = FaultHook();
    return hook ? hook(target, stage, bytesWritten) : 0;
}

void SetError(std::string* error, const std::string& text) {
    if (error)
        *error = text;
}

std::string Reason(int code) {
    return std::strerror(code);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "/dir/.name.tmp-<pid>-<n>-<time>": unique within the process by the counter,
// between processes by the pid; O_EXCL settles any remaining clash.
std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return FolderOf(target) + "/." + BaseNameOf(target) + ".tmp-" + std::to_string(::getpid()) +
           "-" + std::to_string(counter++) + "-" + std::to_string(ticks % 1000000);
}

// The writer's process id when `entry` is a temporary name TemporaryName
// makes for a target named `base`; 0 for any other name.
pid_t TemporaryOwnerPid(const std::string& entry, const std::string& base) {
    const std::string prefix = "." + base + ".tmp-";
    if (entry.compare(0, prefix.size(), prefix) != 0)
        return 0;
    // Exactly three runs of digits joined by "-".
    long long numbers[3] = {0, 0, 0};
    size_t at = prefix.size();
    for (int part = 0; part < 3; ++part) {
        const size_t start = at;
        while (at < entry.size() && at - start < 18 && entry[at] >= '0' && entry[at] <= '9')
            numbers[part] = numbers[part] * 10 + (entry[at++] - '0');
        if (at == start || (part < 2 && (at >= entry.size() || entry[at++] != '-')))
            return 0;
    }
    if (at != entry.size() || numbers[0] <= 0 || numbers[0] > INT32_MAX)
        return 0;
    return static_cast<pid_t>(numbers[0]);
}

// One write(2) loop over `bytes`; errno is left set on failure.
bool WriteAll(int fd, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd, data + done, size - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Moves the finished temporary into place: over the target, or (noReplace)
// only where nothing exists yet.
int PlaceFile(const std::string& temporary, const std::string& target, bool noReplace) {
    if (!noReplace)
        return ::rename(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (::link(temporary.c_str(), target.c_str()) != 0)
        return errno;
    ::unlink(temporary.c_str());
    return 0;
}

} // namespace

void SetAtomicWriteFaultForTesting(AtomicWriteFault fault) {
    FaultHook() = std::move(fault);
}

bool ResolveLinkTarget(const std::string& path, std::string& target, std::string* error) {
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            // Not a link (or not there yet): this is where the file lives.
            target = current;
            return true;
        }
        std::vector<char> buffer(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 2);
        ssize_t length = 0;
        while ((length = ::readlink(current.c_str(), buffer.data(), buffer.size())) >= 0 &&
               static_cast<size_t>(length) >= buffer.size())
            buffer.resize(buffer.size() * 2);
        if (length < 0) {
            SetError(error, "Could not read the link " + current + ": " + Reason(errno));
            return false;
        }
        const std::string link(buffer.data(), static_cast<size_t>(length));
        current = !link.empty() && link[0] == '/' ? link : FolderOf(current) + "/" + link;
    }
    SetError(error, "Could not follow " + path + ": " + Reason(ELOOP));
    return false;
}

bool WriteFileAtomically(const std::string& path, const ContentProducer& produce,
                         std::string* error, const AtomicWriteOptions& options) {
    std::string target;
    if (!ResolveLinkTarget(path, target, error))
        return false;
    const std::string shown = target == path ? path : path + " (link to " + target + ")";
    auto fail = [&](const std::string& what, int code) {
        SetError(error, "Could not write " + shown + ": " + what + ": " + Reason(code));
        return false;
    };

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return fail("it is not a regular file", S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    if (exists && options.noReplace)
        return fail("it exists already", EEXIST);

    std::string temporary;
    int fd = -1;
    if (const int injected = InjectedFault(target, AtomicWriteStage::CreateTemporary, 0))
        return fail("could not create a temporary file in " + FolderOf(target), injected);
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(target);
        // The kernel applies the umask to the mode of a new file.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    options.newFileMode & 07777);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail("could not create a temporary file in " + FolderOf(target), errno);

    auto abandon = [&](const std::string& what, int code) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return fail(what, code);
    };

    if (exists) {
        // The old file's owner where we may set it (root editing a user's
        // file), and always its permission bits.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Not allowed for an ordinary user: the file becomes theirs.
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return abandon("could not set the file's mode", errno);
    }

    size_t written = 0;
    int writeError = 0;
    const ChunkWriter write = [&](std::string_view bytes) {
        if (writeError != 0)
            return false;
        if (const int injected = InjectedFault(target, AtomicWriteStage::Write, written)) {
            (void)WriteAll(fd, bytes.data(), bytes.size() / 2);
            writeError = injected;
            return false;
        }
        if (!WriteAll(fd, bytes.data(), bytes.size())) {
            writeError = errno;
            return false;
        }
        written += bytes.size();
        return true;
    };
    const bool produced = produce(write);
    if (writeError != 0)
        return abandon("writing failed after " + std::to_string(written) + " bytes", writeError);
    if (!produced)
        return abandon("the content could not be produced", ECANCELED);

    int code = InjectedFault(target, AtomicWriteStage::Sync, written);
    if (code == 0 && ::fsync(fd) != 0)
        code = errno;
    if (code != 0)
        return abandon("could not flush the file to disk", code);
    if (::close(fd) != 0) {
        const int closeError = errno;
        ::unlink(temporary.c_str());
        return fail("could not close the file", closeError);
    }

    code = InjectedFault(target, AtomicWriteStage::Rename, written);
    if (code == 0)
        code = PlaceFile(temporary, target, options.noReplace);
    if (code != 0) {
        ::unlink(temporary.c_str());
        return fail("could not put the new file in place", code);
    }

    // Makes the rename itself survive a power cut. Some file systems cannot
    // sync a folder (EINVAL); that is no failure of the write.
    code = InjectedFault(target, AtomicWriteStage::SyncFolder, written);
    if (code == 0) {
        const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            if (::fsync(folder) != 0 && errno != EINVAL)
                code = errno;
            ::close(folder);
        }
    }
    if (code != 0)
        return fail("the new file is in place, but its folder could not be flushed to disk", code);
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error,
                         const AtomicWriteOptions& options) {
    return WriteFileAtomically(
        path, [content](const ChunkWriter& write) { return write(content); }, error, options);
}

bool ReadRegularFile(const std::string& path, std::string& bytes, std::string* error,
                     bool* missing) {
    if (missing)
        *missing = false;
    // O_NONBLOCK: a FIFO in the file's place must not hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int code = errno;
        if (missing)
            *missing = code == ENOENT;
        SetError(error, "Could not open " + path + ": " + Reason(code));
        return false;
    }
    auto fail = [&](const std::string& what) {
        ::close(fd);
        SetError(error, "Could not read " + path + ": " + what);
        return false;
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return fail(Reason(errno));
    if (!S_ISREG(info.st_mode))
        return fail(S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file");
    try {
        bytes.clear();
        bytes.reserve(static_cast<size_t>(info.st_size));
        char buffer[1 << 16];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return fail(Reason(errno));
            }
            if (got == 0)
                break;
            bytes.append(buffer, static_cast<size_t>(got));
        }
    } catch (const std::bad_alloc&) {
        bytes.clear();
        bytes.shrink_to_fit();
        return fail("it is too large to read into memory");
    } catch (const std::length_error&) {
        bytes.clear();
        bytes.shrink_to_fit();
        return fail("it is too large to read into memory");
    }
    ::close(fd);
    return true;
}

std::string LocalTimeStamp(int64_t seconds) {
    const auto t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    ::localtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

int RemoveStaleTemporaries(const std::string& path) {
    std::string target;
    if (!ResolveLinkTarget(path, target, nullptr))
        return 0;
    const std::string folder = FolderOf(target);
    const std::string base = BaseNameOf(target);
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return 0;
    int removed = 0;
    while (const dirent* item = ::readdir(listing)) {
        const pid_t writer = TemporaryOwnerPid(item->d_name, base);
        if (writer == 0 || writer == ::getpid())
            continue;
        // Only a writer that is gone: a live one (of any user) is mid-save.
        if (::kill(writer, 0) == 0 || errno != ESRCH)
            continue;
        const std::string name = folder + "/" + item->d_name;
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        if (::unlink(name.c_str()) == 0)
            ++removed;
    }
    ::closedir(listing);
    return removed;
}

std::FILE* OpenForAppend(const std::string& path, mode_t newFileMode) {
    // O_NONBLOCK: a FIFO without a reader fails instead of hanging the caller.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, newFileMode);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "a");
    if (!file)
        ::close(fd);
    return file;
}
