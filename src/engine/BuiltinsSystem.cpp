// Builtins for processes, time, files and the environment.
#include "engine/Builtins.h"
#include "engine/FileOps.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tessera {

namespace {

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

[[noreturn]] void Errno(const std::string& what, const std::string& path) {
    throw ScriptError{"cannot " + what + " " + Quoted(path) + ": " + std::strerror(errno)};
}

// A string argument that goes to the system as a C string: a NUL byte in it
// would silently cut it short, so it is refused.
const std::string& ArgPath(const Value* args, int index) {
    const std::string& text = ArgStr(args, index);
    if (text.find('\0') != std::string::npos)
        throw ScriptError{"argument " + std::to_string(index + 1) + " contains a NUL byte"};
    return text;
}

[[noreturn]] void FsError(const std::string& what, const std::string& path,
                          const std::error_code& ec) {
    throw ScriptError{"cannot " + what + " " + Quoted(path) + ": " + ec.message()};
}

// Starts /bin/sh -c `command` in a process group of its own.
pid_t Spawn(const std::string& command, bool detached) {
    pid_t pid = fork();
    if (pid == 0) {
        if (detached)
            setsid();
        else
            setpgid(0, 0);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// Runs a command line and waits for it; a Stop ends the command too.
void System(BuiltinContext& ctx, Value* args, int, Value& result) {
    ctx.RequireSystemAccess();
    const std::string& command = ArgPath(args, 0);
    pid_t pid = Spawn(command, false);
    if (pid < 0)
        throw ScriptError{std::string("cannot start a process: ") + std::strerror(errno)};
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR)
            throw ScriptError{std::string("cannot wait for the command: ") + std::strerror(errno)};
        if (ctx.StopRequested()) {
            kill(-pid, SIGTERM);
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            throw StopSignal{"script stopped"};
        }
        usleep(2000);
    }
    if (WIFEXITED(status))
        return result.SetInt(WEXITSTATUS(status));
    result.SetInt(128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0));
}

// Starts a command line detached (its own session, not waited for) and
// returns its process id. The intermediate child is reaped at once so no
// zombie remains.
void Run(BuiltinContext& ctx, Value* args, int, Value& result) {
    ctx.RequireSystemAccess();
    const std::string& command = ArgPath(args, 0);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw ScriptError{std::string("cannot start a process: ") + std::strerror(errno)};
    pid_t middle = fork();
    if (middle == 0) {
        close(fds[0]);
        setsid();
        pid_t pid = fork();
        if (pid == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ssize_t ignored = write(fds[1], &pid, sizeof pid);
        (void)ignored;
        _exit(pid < 0 ? 1 : 0);
    }
    close(fds[1]);
    if (middle < 0) {
        close(fds[0]);
        throw ScriptError{std::string("cannot start a process: ") + std::strerror(errno)};
    }
    pid_t pid = -1;
    ssize_t got;
    do
        got = read(fds[0], &pid, sizeof pid);
    while (got < 0 && errno == EINTR);
    close(fds[0]);
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    if (got != sizeof pid || pid < 0)
        throw ScriptError{"cannot start a process"};
    result.SetInt(pid);
}

void Sleep(BuiltinContext& ctx, Value* args, int, Value&) {
    int64_t ms = ArgInt(args, 0);
    if (ms < 0)
        throw ScriptError{"the time " + std::to_string(ms) + " is negative"};
    ctx.SleepMs(ms);
}

void Now(BuiltinContext&, Value*, int, Value& result) {
    result.SetInt(static_cast<int64_t>(std::time(nullptr)));
}

void FormatTime(BuiltinContext& ctx, Value* args, int, Value& result) {
    std::time_t t = static_cast<std::time_t>(ArgInt(args, 0));
    const std::string& format = ArgStr(args, 1);
    std::tm parts{};
    if (!localtime_r(&t, &parts))
        throw ScriptError{"the time " + std::to_string(ArgInt(args, 0)) + " is out of range"};
    if (format.empty())
        return SetStr(result, "", ctx);
    // strftime returns 0 both for "no room" and for an empty result; grow a
    // few times, then accept the empty result.
    for (size_t size = 256; size <= 65536; size *= 4) {
        std::string buffer(size, '\0');
        size_t n = std::strftime(buffer.data(), size, format.c_str(), &parts);
        if (n > 0) {
            buffer.resize(n);
            return SetStr(result, std::move(buffer), ctx);
        }
    }
    SetStr(result, "", ctx);
}

void CopyFile(BuiltinContext& ctx, Value* args, int, Value&) {
    ctx.RequireSystemAccess();
    CopyFileSafely(ArgPath(args, 0), ArgPath(args, 1), ctx);
}

// Copies everything inside `src` into `dst`, creating folders and
// overwriting files.
void CopyDir(BuiltinContext& ctx, Value* args, int, Value&) {
    ctx.RequireSystemAccess();
    CopyFolder(ArgPath(args, 0), ArgPath(args, 1), ctx);
}

void DeleteFile(BuiltinContext& ctx, Value* args, int, Value&) {
    ctx.RequireSystemAccess();
    const std::string& path = ArgPath(args, 0);
    std::error_code ec;
    // A link to a folder is a file here: deleting it removes the link.
    if (fs::is_directory(fs::symlink_status(path, ec))) {
        errno = EISDIR;
        Errno("delete", path);
    }
    if (std::remove(path.c_str()) != 0)
        Errno("delete", path);
}

void FileExists(BuiltinContext& ctx, Value* args, int, Value& result) {
    ctx.RequireSystemAccess();
    std::error_code ec;
    const std::string& path = ArgPath(args, 0);
    result.SetBool(fs::exists(path, ec) && !fs::is_directory(path, ec));
}

void DirExists(BuiltinContext& ctx, Value* args, int, Value& result) {
    ctx.RequireSystemAccess();
    std::error_code ec;
    result.SetBool(fs::is_directory(ArgPath(args, 0), ec));
}

void MakeDir(BuiltinContext& ctx, Value* args, int, Value&) {
    ctx.RequireSystemAccess();
    const std::string& path = ArgPath(args, 0);
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec)
        FsError("create folder", path, ec);
    if (!fs::is_directory(path, ec)) {
        errno = EEXIST;
        Errno("create folder", path);
    }
}

void ReadFile(BuiltinContext& ctx, Value* args, int, Value& result) {
    ctx.RequireSystemAccess();
    SetStr(result, ReadWholeFile(ArgPath(args, 0), ctx), ctx);
}

void WriteFile(BuiltinContext& ctx, Value* args, int, Value&) {
    ctx.RequireSystemAccess();
    ReplaceFileContent(ArgPath(args, 0), ToText(args[1]));
}

void AppendFile(BuiltinContext& ctx, Value* args, int, Value&) {
    ctx.RequireSystemAccess();
    AppendToFile(ArgPath(args, 0), ToText(args[1]));
}

// The process environment is shared by every engine; guard it.
std::mutex& EnvironmentMutex() {
    static std::mutex mutex;
    return mutex;
}

void GetEnv(BuiltinContext& ctx, Value* args, int, Value& result) {
    ctx.RequireSystemAccess();
    std::lock_guard<std::mutex> lock(EnvironmentMutex());
    const char* value = std::getenv(ArgPath(args, 0).c_str());
    SetStr(result, value ? value : "", ctx);
}

void SetEnv(BuiltinContext& ctx, Value* args, int, Value&) {
    ctx.RequireSystemAccess();
    const std::string& name = ArgPath(args, 0);
    if (name.empty() || name.find('=') != std::string::npos)
        throw ScriptError{"'" + name + "' is not a valid variable name"};
    std::string value = ToText(args[1]);
    if (value.find('\0') != std::string::npos)
        throw ScriptError{"argument 2 contains a NUL byte"};
    std::lock_guard<std::mutex> lock(EnvironmentMutex());
    if (setenv(name.c_str(), value.c_str(), 1) != 0)
        throw ScriptError{std::string("cannot set '") + name + "': " + std::strerror(errno)};
}

} // namespace

const BuiltinInfo kSystemBuiltins[] = {
    {"System", 1, 1, DeclType::Int, System},
    {"Run", 1, 1, DeclType::Int, Run},
    {"Sleep", 1, 1, DeclType::Void, Sleep},
    {"Now", 0, 0, DeclType::Int, Now},
    {"FormatTime", 2, 2, DeclType::Str, FormatTime},
    {"CopyFile", 2, 2, DeclType::Void, CopyFile},
    {"CopyDir", 2, 2, DeclType::Void, CopyDir},
    {"DeleteFile", 1, 1, DeclType::Void, DeleteFile},
    {"FileExists", 1, 1, DeclType::Bool, FileExists},
    {"DirExists", 1, 1, DeclType::Bool, DirExists},
    {"MakeDir", 1, 1, DeclType::Void, MakeDir},
    {"ReadFile", 1, 1, DeclType::Str, ReadFile},
    {"WriteFile", 2, 2, DeclType::Void, WriteFile},
    {"AppendFile", 2, 2, DeclType::Void, AppendFile},
    {"GetEnv", 1, 1, DeclType::Str, GetEnv},
    {"SetEnv", 2, 2, DeclType::Void, SetEnv},
    {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera
