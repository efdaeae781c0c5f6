#include "program/LibraryReport.h"

#include "library/MacroLibrary.h"
#include "schedule/Schedule.h"

#include <cstdio>
#include <unordered_map>

namespace {

// Depth of each node as the pre-order walk reaches it (parents come first).
class DepthTracker {
public:
    int Of(const CMacroNode* node) {
        const auto parent = node->parent ? depths.find(node->parent) : depths.end();
        const int depth = parent == depths.end() ? 0 : parent->second + 1;
        depths[node] = depth;
        return depth;
    }

private:
    std::unordered_map<const CMacroNode*, int> depths;
};

const char* UnitText(int32_t unit) {
    static const char* const kUnits[] = {"Second(s)", "Minute(s)", "Hour(s)", "Day(s)",
                                         "Week(s)",   "Month",     "Year"};
    return unit >= 0 && unit <= 6 ? kUnits[unit] : "?";
}

std::string ScheduleSummary(const CMacroNode& node) {
    const std::string start = node.startDate + " " + node.startTime;
    switch (node.scheduleType) {
    case 0:
        return "";
    case 1:
        return "once at " + start;
    case 2: {
        std::string text;
        if (ScheduleText(node, text))
            return text + " from " + start;
        return "every " + std::to_string(node.frequency) + " " + UnitText(node.unit) + " from " +
               start;
    }
    default:
        return "schedule type " + std::to_string(node.scheduleType);
    }
}

const char* KindName(int32_t kind) {
    return kind == 2 ? "set" : kind == 1 ? "macro" : "unknown";
}

} // namespace

void PrintLibraryTree(const CMacroNode* root, std::ostream& out) {
    DepthTracker depths;
    CMacroLibrary::ForEachPreOrder(const_cast<CMacroNode*>(root), [&](CMacroNode& node) {
        out << std::string(static_cast<size_t>(depths.Of(&node)) * 2, ' ') << node.name << "  ["
            << KindName(node.kind) << "]";
        const std::string schedule = ScheduleSummary(node);
        if (!schedule.empty())
            out << "  " << schedule;
        if (!node.triggerKey.empty()) {
            out << "  trigger ";
            if (node.triggerPrefix == 1)
                out << "<CTRL> then ";
            else if (node.triggerPrefix == 2)
                out << "<SHIFT> then ";
            out << node.triggerKey;
        }
        out << '\n';
        return true;
    });
}

void PrintLibraryJson(const CMacroNode* root, std::ostream& out) {
    out << "[";
    DepthTracker depths;
    bool first = true;
    CMacroLibrary::ForEachPreOrder(const_cast<CMacroNode*>(root), [&](CMacroNode& node) {
        out << (first ? "\n" : ",\n");
        first = false;
        out << "  {\"id\": " << node.id << ", \"parentId\": " << node.parentId
            << ", \"kind\": " << node.kind << ", \"name\": " << JsonString(node.name)
            << ", \"scriptFile\": " << JsonString(node.scriptFile)
            << ", \"executable\": " << JsonString(node.executable)
            << ", \"triggerKey\": " << JsonString(node.triggerKey)
            << ", \"triggerPrefix\": " << node.triggerPrefix
            << ", \"extra\": " << JsonString(node.extra)
            << ", \"description\": " << JsonString(node.description)
            << ", \"startDate\": " << JsonString(node.startDate)
            << ", \"startTime\": " << JsonString(node.startTime) << ", \"unit\": " << node.unit
            << ", \"frequency\": " << node.frequency << ", \"scheduleType\": " << node.scheduleType
            << ", \"runAsScript\": " << node.runAsScript
            << ", \"lastRunText\": " << JsonString(node.lastRunText)
            << ExtrasJsonMembers(node.extras) << ", \"depth\": " << depths.Of(&node) << "}";
        return true;
    });
    out << (first ? "]\n" : "\n]\n");
}
