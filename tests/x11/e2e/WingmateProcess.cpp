#include "WingmateProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string key = text.substr(0, text.find('='));
        if (overrides.count(key) == 0)
            merged.push_back(text);
    }
    for (const auto& [key, value] : overrides)
        if (!value.empty())
            merged.push_back(key + "=" + value);
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int DecodeStatus(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

CChildProcess::~CChildProcess() {
    Kill();
}

bool CChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& env, const std::string& logFile,
                          std::string& error) {
    std::vector<std::string> argvTexts = {program};
    argvTexts.insert(argvTexts.end(), args.begin(), args.end());
    std::vector<std::string> envTexts = MergedEnvironment(env);
    std::vector<char*> argv = Pointers(argvTexts);
    std::vector<char*> envp = Pointers(envTexts);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const char* sink = logFile.empty() ? "/dev/null" : logFile.c_str();
    posix_spawn_file_actions_addopen(&actions, 1, sink, O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid = -1;
        error = "cannot start " + program + ": " + std::strerror(spawned);
        return false;
    }
    return true;
}

bool CChildProcess::WaitExit(std::chrono::milliseconds timeout, int& status) {
    if (pid <= 0)
        return false;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int raw = 0;
        const pid_t done = waitpid(pid, &raw, WNOHANG);
        if (done == pid) {
            pid = -1;
            status = DecodeStatus(raw);
            return true;
        }
        if (done < 0 && errno != EINTR) {
            pid = -1;
            status = -1;
            return true;
        }
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void CChildProcess::Kill() {
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    int raw = 0;
    waitpid(pid, &raw, 0);
    pid = -1;
}

int RunToEnd(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, std::chrono::milliseconds timeout,
             std::string& output) {
    char pattern[] = "/tmp/wingmate-run-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0)
        return -1;
    close(fd);
    const std::string outFile = pattern;
    CChildProcess child;
    std::string error;
    int status = -1;
    if (!child.Start(program, args, env, outFile, error)) {
        output = error;
    } else if (!child.WaitExit(timeout, status)) {
        child.Kill();
        status = -1;
        output = ReadText(outFile) + "[timed out]";
        unlink(outFile.c_str());
        return -1;
    } else {
        output = ReadText(outFile);
    }
    unlink(outFile.c_str());
    return status;
}

namespace {

std::string WindowTitle(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (!title.empty())
        return title;
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

bool Viewable(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

Window Search(Display* display, Window parent, const std::string& title, bool prefixOnly,
              int depth) {
    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &rootReturn, &parentReturn, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        const std::string name = WindowTitle(display, children[i]);
        const bool matches = prefixOnly ? name.compare(0, title.size(), title) == 0 : name == title;
        if (matches && Viewable(display, children[i]))
            found = children[i];
        else if (depth < 3)
            found = Search(display, children[i], title, prefixOnly, depth + 1);
    }
    if (children)
        XFree(children);
    return found;
}

// Window errors (a window vanishing between the query and the read) are
// expected while programs come and go.
int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

unsigned long FindViewableWindow(Display* display, const std::string& title, bool prefixOnly) {
    XErrorHandler previous = XSetErrorHandler(IgnoreXErrors);
    const Window found = Search(display, DefaultRootWindow(display), title, prefixOnly, 0);
    XSync(display, False);
    XSetErrorHandler(previous);
    return found;
}

unsigned long WaitForWindow(Display* display, const std::string& title, bool prefixOnly,
                            std::chrono::milliseconds timeout,
                            std::chrono::milliseconds pollEvery) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (const unsigned long window = FindViewableWindow(display, title, prefixOnly))
            return window;
        if (Clock::now() >= deadline)
            return 0;
        std::this_thread::sleep_for(pollEvery);
    }
}

void SendDeleteWindow(Display* display, unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t CountLines(const std::string& path) {
    size_t lines = 0;
    for (const char c : ReadText(path))
        lines += c == '\n';
    return lines;
}

bool WaitForLines(const std::string& path, size_t lines, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (CountLines(path) < lines) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

long long ProcessCpuTicks(pid_t pid) {
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    // The command name may hold spaces; fields are counted after its ')'.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long long utime = -1, stime = -1;
    // Field 3 (state) is the first after ')'; utime and stime are 14 and 15.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14)
            utime = std::stoll(field);
        else if (index == 15)
            stime = std::stoll(field);
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

long long ProcessRssKiB(pid_t pid) {
    std::istringstream status(ReadText("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6));
    return -1;
}
