#include "program/StatusRequest.h"

#include "program/LibraryReport.h"

#include <charconv>
#include <string_view>

namespace {
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::optional<int32_t> ParseId(const std::string& text) {
    int32_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size() || id < 0)
        return std::nullopt;
    return id;
}

std::optional<bool> ParseFlag(const std::string& text) {
    if (text == "0" || text == "1")
        return text == "1";
    return std::nullopt;
}

void PrintEntryJson(const InstanceStatus::Entry& entry, std::ostream& out) {
    out << "{\"id\": " << entry.id << ", \"name\": " << JsonString(entry.name) << "}";
}
} // namespace

bool IsStatusRequest(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t\r\n");
    const size_t last = line.find_last_not_of(" \t\r\n");
    return first != std::string::npos && line.substr(first, last - first + 1) == kStatusRequestVerb;
}

std::string FormatStatusAnswer(const InstanceStatus& status) {
    std::string line = kStatusRequestVerb;
    const auto add = [&line](const std::string& field) { line += "\t" + field; };
    add(status.schedulerEnabled ? "1" : "0");
    // Triggers that cannot work are "!" and the reason.
    std::string triggers = status.triggersEnabled ? "1" : "0";
    if (!status.triggersUnavailable.empty())
        triggers = "!" + OneLine(status.triggersUnavailable);
    add(triggers);
    add(std::to_string(status.running ? status.running->id : 0));
    add(status.running ? OneLine(status.running->name) : "");
    for (const InstanceStatus::Entry& entry : status.queued) {
        add(std::to_string(entry.id));
        add(OneLine(entry.name));
    }
    return line;
}

// answer := "status" TAB flag TAB (flag | "!" why) TAB id TAB name { TAB id TAB name }
std::optional<InstanceStatus> ParseStatusAnswer(const std::string& line) {
    const std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() < 5 || fields.size() % 2 == 0 || fields[0] != kStatusRequestVerb)
        return std::nullopt;
    InstanceStatus status;
    const auto scheduler = ParseFlag(fields[1]);
    const bool unavailable = fields[2].size() > 1 && fields[2][0] == '!';
    const auto triggers = unavailable ? std::optional<bool>(false) : ParseFlag(fields[2]);
    if (!scheduler || !triggers)
        return std::nullopt;
    status.schedulerEnabled = *scheduler;
    status.triggersEnabled = *triggers;
    if (unavailable)
        status.triggersUnavailable = fields[2].substr(1);
    for (size_t i = 3; i < fields.size(); i += 2) {
        const auto id = ParseId(fields[i]);
        if (!id)
            return std::nullopt;
        if (i == 3) {
            if (*id != 0)
                status.running = InstanceStatus::Entry{*id, fields[i + 1]};
        } else {
            status.queued.push_back({*id, fields[i + 1]});
        }
    }
    return status;
}

void PrintStatusText(const InstanceStatus& status, std::ostream& out) {
    out << "Wingmate is running.\n";
    if (status.running)
        out << "Running: \"" << status.running->name << "\" (id " << status.running->id << ")\n";
    else
        out << "Running: nothing\n";
    if (status.queued.empty())
        out << "Queued: nothing\n";
    for (const InstanceStatus::Entry& entry : status.queued)
        out << "Queued: \"" << entry.name << "\" (id " << entry.id << ")\n";
    out << "Scheduler: " << (status.schedulerEnabled ? "enabled" : "disabled") << "\n";
    if (!status.triggersUnavailable.empty()) {
        // The hook's message says what it is about; the line says it once.
        std::string_view why = status.triggersUnavailable;
        constexpr std::string_view kAbout = "Trigger keys are unavailable: ";
        if (why.substr(0, kAbout.size()) == kAbout)
            why.remove_prefix(kAbout.size());
        out << "Triggers: unavailable: " << why << "\n";
    } else
        out << "Triggers: " << (status.triggersEnabled ? "enabled" : "disabled") << "\n";
}

void PrintStatusJson(const InstanceStatus& status, std::ostream& out) {
    out << "{\"running\": true, \"macro\": ";
    if (status.running)
        PrintEntryJson(*status.running, out);
    else
        out << "null";
    out << ", \"queued\": [";
    for (size_t i = 0; i < status.queued.size(); ++i) {
        out << (i ? ", " : "");
        PrintEntryJson(status.queued[i], out);
    }
    out << "], \"schedulerEnabled\": " << (status.schedulerEnabled ? "true" : "false")
        << ", \"triggersEnabled\": " << (status.triggersEnabled ? "true" : "false");
    if (!status.triggersUnavailable.empty())
        out << ", \"triggersUnavailable\": " << JsonString(status.triggersUnavailable);
    out << "}\n";
}

void PrintStatusErrorJson(bool running, const std::string& error, std::ostream& out) {
    out << "{\"running\": " << (running ? "true" : "false") << ", \"error\": " << JsonString(error)
        << "}\n";
}
