#pragma once
// Helpers for building and describing library trees in tests.

#include "library/MacroLibrary.h"

#include <string>
#include <vector>

inline CMacro Record(const std::string& name, int32_t kind = 1, int32_t id = 0) {
    CMacro macro;
    macro.name = name;
    macro.kind = kind;
    macro.id = id;
    return macro;
}

// A record as it is laid out in the file: with its id and its parent's id.
inline CMacro Entry(const std::string& name, int32_t id, int32_t parentId, int32_t kind = 1) {
    CMacro macro = Record(name, kind, id);
    macro.parentId = parentId;
    return macro;
}

// The tree as "name(child,child)" with siblings comma separated.
inline std::string Shape(const CMacroNode* node) {
    std::string out;
    for (; node; node = node->next) {
        out += node->name;
        if (node->firstChild)
            out += "(" + Shape(node->firstChild) + ")";
        if (node->next)
            out += ",";
    }
    return out;
}

// Checks the parent links and parentId fields of the whole tree.
inline bool LinksConsistent(const CMacroNode* root) {
    if (!root || root->parent || root->parentId != root->id)
        return false;
    bool ok = true;
    CMacroLibrary::ForEachPreOrder(const_cast<CMacroNode*>(root), [&](CMacroNode& node) {
        for (CMacroNode* child = node.firstChild; child; child = child->next)
            ok = ok && child->parent == &node && child->parentId == node.id;
        return ok;
    });
    return ok;
}

// File bytes for these records in this order, written independently of the
// program's own encoder.
inline void PutInt32(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((bits >> shift) & 0xff);
}

inline std::string FileBytes(const std::vector<CMacro>& records, int32_t header = 8192) {
    std::string out;
    PutInt32(out, header);
    for (const CMacro& m : records) {
        for (int32_t value : {8192, m.id, m.parentId, m.kind, m.runAsScript, m.scheduleType,
                              m.unit, m.frequency, m.triggerPrefix})
            PutInt32(out, value);
        for (const std::string* text : {&m.name, &m.scriptFile, &m.executable, &m.triggerKey,
                                        &m.extra, &m.description, &m.startDate, &m.startTime,
                                        &m.lastRunText}) {
            PutInt32(out, static_cast<int32_t>(text->size()));
            out += *text;
        }
    }
    return out;
}
