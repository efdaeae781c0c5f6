#include "program/RunRequest.h"

#include "program/InstanceSocket.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <unordered_set>

namespace {
std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool AllDigits(const std::string& text) {
    if (text.empty() || text.size() > 10)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The entry a target of digits names by id; nullptr for other targets.
const CMacroNode* FindByIdText(const CMacroLibrary& library, const std::string& text) {
    if (!AllDigits(text))
        return nullptr;
    const long long id = std::stoll(text);
    return id > 0 && id <= INT32_MAX ? library.FindById(static_cast<int32_t>(id)) : nullptr;
}

// Removes tabs and line ends so a name cannot break the one-line answer.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}
} // namespace

std::optional<std::string> ParseRunRequest(const std::string& line) {
    const std::string trimmed = Trim(line);
    const std::string verb = kRunRequestVerb;
    if (trimmed.size() <= verb.size() || trimmed.compare(0, verb.size(), verb) != 0 ||
        (trimmed[verb.size()] != ' ' && trimmed[verb.size()] != '\t'))
        return std::nullopt;
    std::string target = Trim(trimmed.substr(verb.size()));
    if (target.empty())
        return std::nullopt;
    return target;
}

int32_t ResolveRunTarget(const CMacroLibrary& library, const std::string& target,
                         std::string& why) {
    const CMacroNode* found = FindByIdText(library, target);
    if (!found) {
        CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode& node) {
            if (node.name != target)
                return true;
            found = &node;
            return false;
        });
    }
    if (!found) {
        why = "no macro named or numbered \"" + target + "\"";
        return 0;
    }
    if (found->IsMacroSet()) {
        why = "\"" + found->name + "\" is a macro set";
        return 0;
    }
    return found->id;
}

std::vector<std::string> RunTargetNames(const CMacroLibrary& library, const std::string& prefix) {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen; // the first entry of a name is the one it runs
    CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode& node) {
        if (node.name.empty() || !seen.insert(node.name).second || node.IsMacroSet() ||
            node.name.compare(0, prefix.size(), prefix) != 0 || node.name != Trim(node.name) ||
            node.name.find_first_of("\r\n") != std::string::npos)
            return true;
        const CMacroNode* byId = FindByIdText(library, node.name);
        if (byId && byId != &node)
            return true;
        names.push_back(node.name);
        return true;
    });
    return names;
}

RunRequestOutcome QueueRunRequest(const CMacroLibrary& library, IRunQueue& queue,
                                  const std::string& target) {
    std::string why;
    const int32_t id = ResolveRunTarget(library, target, why);
    if (id == 0)
        return {false, "refused\t" + OneLine(why)};
    const std::string name = library.FindById(id)->name;
    if (!queue.EnqueueMacro(id))
        return {false, "refused\tthe run queue is full"};
    return {true, "queued\t" + std::to_string(id) + "\t" + OneLine(name)};
}

bool SendInstanceRequest(const std::string& socketPath, const std::string& line,
                         std::string& answer, std::string& error, bool& reached, int timeoutMs) {
    reached = false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        error = "socket path too long: " + socketPath;
        return false;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    auto fail = [&](const std::string& why) {
        error = why;
        ::close(fd);
        return false;
    };
    // Another user's socket or process is never sent a request nor believed.
    std::string foreign;
    if (!SocketFileIsOurs(socketPath, foreign)) {
        reached = true;
        return fail("refusing to talk to the program there: " + foreign);
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return fail(std::strerror(errno));
    reached = true;
    if (!PeerIsThisUser(fd, foreign))
        return fail("refusing to talk to the program at " + socketPath + ": " + foreign);
    const std::string request = line + "\n";
    for (size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(std::strerror(errno));
        sent += static_cast<size_t>(n);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string received;
    while (received.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return fail("no answer from Wingmate");
        pollfd wait{fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return fail("no answer from Wingmate");
        char buffer[512];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("Wingmate closed the connection without an answer");
        received.append(buffer, static_cast<size_t>(n));
        if (received.size() > 65536)
            return fail("answer too long");
    }
    ::close(fd);
    answer = received.substr(0, received.find('\n'));
    return true;
}

bool SendToRunningInstance(const std::string& line, std::string& answer, std::string& error,
                           bool& reached) {
    reached = false;
    InstancePaths paths;
    if (!ResolveInstancePaths(false, paths, error)) {
        reached = true; // say why rather than "not running"
        return false;
    }
    return SendInstanceRequest(paths.socket, line, answer, error, reached);
}
