#include "library/LibraryReport.h"

#include "library/MacroLibrary.h"
#include "schedule/Schedule.h"

#include <cstdio>
#include <unordered_map>

namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0.
size_t Utf8SequenceLength(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t minimum = 0;
    uint32_t code = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

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
        return "every " + std::to_string(node.frequency) + " " + UnitText(node.unit) +
               " from " + start;
    }
    default:
        return "schedule type " + std::to_string(node.scheduleType);
    }
}

const char* KindName(int32_t kind) {
    return kind == 2 ? "set" : kind == 1 ? "macro" : "unknown";
}

} // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    char escape[8];
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text, i, length);
            i += length;
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    return out + "\"";
}

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
            << ", \"frequency\": " << node.frequency
            << ", \"scheduleType\": " << node.scheduleType
            << ", \"runAsScript\": " << node.runAsScript
            << ", \"lastRunText\": " << JsonString(node.lastRunText)
            << ", \"depth\": " << depths.Of(&node) << "}";
        return true;
    });
    out << (first ? "]\n" : "\n]\n");
}
