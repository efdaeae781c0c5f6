#pragma once
// The tree of macros and macro sets, with its clipboard and its file.

#include "library/Macro.h"
#include "library/MacroFile.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CMacroLibrary {
public:
    CMacroLibrary();
    CMacroLibrary(const CMacroLibrary&) = delete;
    CMacroLibrary& operator=(const CMacroLibrary&) = delete;
    virtual ~CMacroLibrary();

    // Pre-order search: the start node, its firstChild subtree, then its
    // following siblings. First match wins.
    CMacroNode* FindById(int32_t id, CMacroNode* start) const;
    CMacroNode* FindById(int32_t id) const { return FindById(id, root); }

    int32_t AllocateId();
    void ResetNextId(int32_t n);
    // Largest of floor and every id in node, its descendants and its
    // following siblings.
    static int32_t MaxId(const CMacroNode* node, int32_t floor);

    int32_t InsertRecord(const CMacro& record, int32_t targetId, InsertPosition position);
    int UpdateRecord(const CMacro& record);
    void RemoveNode(int32_t id);

    void CopyToClipboard(int32_t id);
    void CutToClipboard(int32_t id);
    // Recursive paste of a clipboard subtree; the node's id fields are
    // rewritten with the ids of the inserted copies.
    void PasteClipboard(CMacroNode* node, int32_t targetId, InsertPosition position);

    CMacroNode* FindByTrigger(const std::string& combination, TriggerPrefix prefix) const;
    static void ResetEligible(CMacroNode* node);
    static void FreeTree(CMacroNode* node);

    // The library file: Load reads libraryPath, Restore reads backupPath.
    // On failure they return 0 and leave the tree, the counter and the file
    // header as they were.
    int Load();
    int Restore();
    int Save() { return macroFile.Save(root); }
    int LoadFrom(const std::string& path);
    int LoadFromBytes(std::string_view bytes);

    // Visits node, its descendants and its following siblings in pre-order
    // until the visitor returns false. Iterative: deep trees are safe.
    static void ForEachPreOrder(CMacroNode* node, const std::function<bool(CMacroNode&)>& visit);

    CMacroNode* Root() const { return root; }
    CMacroNode* Clipboard() const { return clipboard; }
    int32_t NextId() const { return nextId; }
    CMacroFile& File() { return macroFile; }
    const CMacroFile& File() const { return macroFile; }

    // Gives up the tree to the caller (used when moving a loaded tree).
    CMacroNode* ReleaseRoot();

private:
    static void AppendChild(CMacroNode* parent, CMacroNode* child);

    CMacroNode* clipboard = nullptr;
    int32_t nextId = 0;
    CMacroFile macroFile;
    CMacroNode* root = nullptr;
};
