#pragma once
// "wingmatectl run NAME|ID": a request line on the instance socket asking the
// running program to run a macro as the Execute command does. The request is
// "run <name or id>"; the answer is one line, "queued<TAB>id<TAB>name" or
// "refused<TAB>reason".

#include "library/MacroLibrary.h"
#include "schedule/RunQueuePorts.h"

#include <optional>
#include <string>
#include <vector>

constexpr const char* kRunRequestVerb = "run";

// The target of a "run ..." line (trimmed); nullopt for any other line.
std::optional<std::string> ParseRunRequest(const std::string& line);

// The entry a target names: all digits names an id first; otherwise (or when
// no entry has that id) the first entry, in tree order, whose name is the
// target. 0 with `why` set when none is found or the entry is a macro set.
int32_t ResolveRunTarget(const CMacroLibrary& library, const std::string& target, std::string& why);

// The names a target may give to run an entry, starting with `prefix`, in
// tree order, each once: the names ResolveRunTarget takes to that very entry
// (not a macro set, not a number that names another entry by id, no line
// break, no blank at either end).
std::vector<std::string> RunTargetNames(const CMacroLibrary& library, const std::string& prefix);

struct RunRequestOutcome {
    bool queued = false;
    std::string answer; // the answer line, without its line end
};
// Queues the entry like Execute. The caller sends the answer and then starts
// the head of the queue (RunNextQueued), so a message box the start may show
// never holds up the answer.
RunRequestOutcome QueueRunRequest(const CMacroLibrary& library, IRunQueue& queue,
                                  const std::string& target);

// The client side: sends one request line to the socket at `socketPath` and
// reads one answer line. false with `error` set when no program answers
// there (`reached` false) or the answer does not come within `timeoutMs`.
// A socket file or a listening process of another user is refused before
// anything is sent (`reached` true, `error` says why).
bool SendInstanceRequest(const std::string& socketPath, const std::string& line,
                         std::string& answer, std::string& error, bool& reached,
                         int timeoutMs = 5000);
// The same to this user's running program (its socket found as the program
// finds it; see ResolveInstancePaths).
bool SendToRunningInstance(const std::string& line, std::string& answer, std::string& error,
                           bool& reached);
