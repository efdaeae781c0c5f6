#include "TerminalDialogs.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kPollMs = 20;
// Longer answers are cut there: a pipe without line ends cannot grow a line
// without bound.
constexpr size_t kMaxAnswer = 4096;

std::string Trimmed(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos)
        return "";
    return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

} // namespace

void CTerminalDialogs::Say(const std::string& text) {
    std::fputs(text.c_str(), questions);
    std::fflush(questions);
}

bool CTerminalDialogs::AskLine(const std::string& question, std::string& line, DesktopResult& ended,
                               const StopCheck& stopRequested) {
    std::fflush(stdout); // the script's output comes before its question
    Say(question);
    const int fd = fileno(input);
    const bool terminal = isatty(fd) != 0;
    line.clear();
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, kPollMs);
        if (stopRequested()) {
            Say("\n");
            return false;
        }
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled < 0 || (ready.revents & POLLNVAL)) {
            Say("\n");
            ended = DesktopResult::Fail("no terminal to ask on");
            return false;
        }
        if (polled == 0)
            continue;
        const int c = std::fgetc(input);
        if (c == EOF && std::ferror(input) && errno == EINTR) {
            std::clearerr(input);
            continue;
        }
        if (c == EOF && line.empty()) {
            std::clearerr(input);
            Say("\n");
            if (!terminal)
                ended = DesktopResult::Fail("standard input ended before an answer");
            return false;
        }
        if (c == EOF) { // a last line without its line end
            std::clearerr(input);
            if (terminal)
                Say("\n");
            break;
        }
        if (c == '\n')
            break;
        if (line.size() < kMaxAnswer)
            line += static_cast<char>(c);
    }
    if (!terminal)
        Say(line + "\n");
    line = Trimmed(line);
    return true;
}

DesktopResult CTerminalDialogs::Choose(const std::string& prompt,
                                       const std::vector<std::string>& items, size_t selected,
                                       std::optional<size_t>& chosen,
                                       const StopCheck& stopRequested) {
    std::string list = prompt + "\n";
    for (size_t k = 0; k < items.size(); ++k)
        list += (k == selected ? "* " : "  ") + std::to_string(k + 1) + ") " + items[k] + "\n";
    Say(list);
    const std::string question =
        "Number (Enter: " + std::to_string(selected + 1) + ", 0: cancel): ";
    for (;;) {
        std::string line;
        DesktopResult ended;
        if (!AskLine(question, line, ended, stopRequested))
            return ended;
        if (line.empty()) {
            chosen = selected;
            return DesktopResult::Ok();
        }
        errno = 0;
        const unsigned long long number = std::strtoull(line.c_str(), nullptr, 10);
        const bool digits = line.find_first_not_of("0123456789") == std::string::npos;
        if (digits && errno == 0 && number <= items.size()) {
            if (number > 0)
                chosen = static_cast<size_t>(number - 1);
            return DesktopResult::Ok();
        }
        Say("'" + line + "' is not a number from 0 to " + std::to_string(items.size()) + "\n");
    }
}

DesktopResult CTerminalDialogs::Confirm(const std::string& text, bool& yes,
                                        const StopCheck& stopRequested) {
    yes = false;
    for (;;) {
        std::string line;
        DesktopResult ended;
        if (!AskLine(text + " [y/N]: ", line, ended, stopRequested))
            return ended;
        for (char& c : line)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (line == "y" || line == "yes") {
            yes = true;
            return DesktopResult::Ok();
        }
        if (line.empty() || line == "n" || line == "no")
            return DesktopResult::Ok();
        Say("Please answer y or n\n");
    }
}

// A typed path: "~/" is the home folder; a relative path counts from
// `folder` (or the current folder). Enter alone cancels.
DesktopResult CTerminalDialogs::AskPath(const std::string& question, const std::string& folder,
                                        const std::function<std::string(const std::string&)>& fits,
                                        std::optional<std::string>& path,
                                        const StopCheck& stopRequested) {
    for (;;) {
        std::string line;
        DesktopResult ended;
        if (!AskLine(question, line, ended, stopRequested))
            return ended;
        if (line.empty())
            return DesktopResult::Ok();
        const char* home = std::getenv("HOME");
        if ((line == "~" || line.rfind("~/", 0) == 0) && home && *home)
            line = home + line.substr(1);
        std::error_code ec;
        fs::path typed(line);
        if (typed.is_relative())
            typed = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), ec) / typed;
        typed = typed.lexically_normal();
        const std::string problem = fits(typed.string());
        if (problem.empty()) {
            std::string chosen = typed.string();
            if (chosen.size() > 1 && chosen.back() == '/')
                chosen.pop_back();
            path = chosen;
            return DesktopResult::Ok();
        }
        Say("'" + line + "' " + problem + "\n");
    }
}

DesktopResult CTerminalDialogs::ChooseFile(const std::string& folder, const std::string& filter,
                                           std::optional<std::string>& path,
                                           const StopCheck& stopRequested) {
    const std::string where = folder.empty() ? "" : " in " + folder;
    const std::string kinds = filter.empty() ? "" : " (" + filter + ")";
    auto fits = [&filter](const std::string& candidate) -> std::string {
        std::error_code ec;
        if (!fs::exists(candidate, ec))
            return "does not exist";
        if (fs::is_directory(candidate, ec))
            return "is a folder";
        if (!MatchesFileFilter(fs::path(candidate).filename().string(), filter))
            return "does not match " + filter;
        return "";
    };
    return AskPath("File" + where + kinds + " (Enter: cancel): ", folder, fits, path,
                   stopRequested);
}

DesktopResult CTerminalDialogs::ChooseFolder(const std::string& folder,
                                             std::optional<std::string>& path,
                                             const StopCheck& stopRequested) {
    const std::string where = folder.empty() ? "" : " in " + folder;
    auto fits = [](const std::string& candidate) -> std::string {
        std::error_code ec;
        if (!fs::exists(candidate, ec))
            return "does not exist";
        return fs::is_directory(candidate, ec) ? "" : "is not a folder";
    };
    return AskPath("Folder" + where + " (Enter: cancel): ", folder, fits, path, stopRequested);
}

namespace {

constexpr int kNotifyLimitMs = 5000;

// A string in GVariant's text form, for gdbus: quoted, with backslashes,
// quotes and control characters escaped.
std::string VariantString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

// Runs a helper program with no input and its output dropped; the first
// line of what it writes to standard error goes to `errors`. The exit
// status; -1 when it did not start (`errors` says why), took too long or
// was stopped.
int RunHelper(const std::vector<std::string>& words, std::string& errors,
              const IScriptDialogs::StopCheck& stopRequested) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        errors = std::strerror(errno);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (started != 0) {
        close(pipeEnds[0]);
        errors = words[0] + ": " + std::strerror(started);
        return -1;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kNotifyLimitMs);
    std::string written;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd ready{pipeEnds[0], POLLIN, 0};
        const int polled = poll(&ready, 1, kPollMs);
        if (stopRequested() || left.count() <= 0) {
            kill(pid, SIGKILL);
            written = words[0] + " did not answer within 5 seconds";
            break;
        }
        if (polled == 0)
            continue;
        char chunk[512];
        const ssize_t got = read(pipeEnds[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        if (written.size() < 4096)
            written.append(chunk, static_cast<size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    errors = words[0] + ": " + Trimmed(written.substr(0, written.find('\n')));
    if (exitStatus != 0 && errors.size() == words[0].size() + 2)
        errors += "failed";
    return exitStatus;
}

} // namespace

// The notification service's Notify(app_name, replaces_id, app_icon,
// summary, body, actions, hints, expire_timeout) through gdbus; notify-send
// when that is missing or fails.
DesktopResult CTerminalDialogs::Notify(const std::string& title, const std::string& text,
                                       const StopCheck& stopRequested) {
    std::string gdbusError, sendError;
    const int gdbus =
        RunHelper({"gdbus", "call", "--session", "--dest", "org.freedesktop.Notifications",
                   "--object-path", "/org/freedesktop/Notifications", "--method",
                   "org.freedesktop.Notifications.Notify", "\"tessera\"", "0", "\"\"",
                   VariantString(title), VariantString(text), "[]", "{}", "10000"},
                  gdbusError, stopRequested);
    if (gdbus == 0 || stopRequested())
        return DesktopResult::Ok();
    const int send = RunHelper({"notify-send", "--app-name=tessera", "--", title, text}, sendError,
                               stopRequested);
    if (send == 0 || stopRequested())
        return DesktopResult::Ok();
    return DesktopResult::Fail("no notification service (" + gdbusError + "; " + sendError + ")");
}
