#pragma once
// "wingmatectl status": a request line "status" on the instance socket; the
// answer is one line of tab-separated fields:
//   status<TAB>scheduler 0|1<TAB>triggers 0|1<TAB>running id<TAB>running name
//   then <TAB>id<TAB>name for each queued macro, head first.
// A running id of 0 means no macro runs. Names have their tabs and line ends
// turned into blanks so they cannot break the line.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

constexpr const char* kStatusRequestVerb = "status";

struct InstanceStatus {
    struct Entry {
        int32_t id = 0;
        std::string name;
        bool operator==(const Entry&) const = default;
    };
    bool schedulerEnabled = true;
    bool triggersEnabled = true;
    // Why no trigger key can work on this desktop; empty when the hook works.
    std::string triggersUnavailable;
    std::optional<Entry> running;
    std::vector<Entry> queued;
    bool operator==(const InstanceStatus&) const = default;
};

// The request line is "status" (blanks around it allowed).
bool IsStatusRequest(const std::string& line);

std::string FormatStatusAnswer(const InstanceStatus& status);
// nullopt when the line is not a well-formed status answer.
std::optional<InstanceStatus> ParseStatusAnswer(const std::string& line);

// For people: one fact a line.
void PrintStatusText(const InstanceStatus& status, std::ostream& out);
// For scripts: {"running": true, "macro": {...}|null, "queued": [...],
// "schedulerEnabled": ..., "triggersEnabled": ...[, "triggersUnavailable": why]}
void PrintStatusJson(const InstanceStatus& status, std::ostream& out);
// For scripts, when no status came: {"running": false, "error": "..."} when
// the program is not running, {"running": true, "error": "..."} when it did
// not answer as it should.
void PrintStatusErrorJson(bool running, const std::string& error, std::ostream& out);
