#pragma once
// The tree of macros and macro sets, with its clipboard and its file.

#include "library/Macro.h"
#include "library/MacroFile.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CMacroLibrary {
public:
    CMacroLibrary();
    CMacroLibrary(const CMacroLibrary&) = delete;
    CMacroLibrary& operator=(const CMacroLibrary&) = delete;
    virtual ~CMacroLibrary();

    // Pre-order search: the start node, its firstChild subtree, then its
    // following siblings. First match wins. From the root an id that occurs
    // once is found through an index; others walk the tree.
    CMacroNode* FindById(int32_t id, CMacroNode* start) const;
    CMacroNode* FindById(int32_t id) const { return FindById(id, root); }

    // The next id from the counter. Never below 1: once the counter would
    // pass INT32_MAX (or stands below 0), the lowest id from 1 up that no
    // node of the tree uses; 0 when every id is taken.
    int32_t AllocateId();
    // Counter past n (n >= 0) or past the largest id (n < 0); saturates at
    // INT32_MAX instead of overflowing.
    void ResetNextId(int32_t n);
    // Largest of floor and every id in node, its descendants and its
    // following siblings.
    static int32_t MaxId(const CMacroNode* node, int32_t floor);

    // Inserts a record next to or into the entry `targetId`, looked up like
    // any id (an entry read from a file may have a negative one); the root
    // when no entry has that id. Never replaces the root: in an empty
    // library the record becomes the root. 0 when no id could be drawn.
    int32_t InsertRecord(const CMacro& record, int32_t targetId, InsertPosition position);
    // Makes the record the root, dropping the previous tree (a load's root
    // record, the start-up "My Macros"); an id below 1 draws a new one.
    int32_t MakeRoot(const CMacro& record);
    int UpdateRecord(const CMacro& record);
    void RemoveNode(int32_t id);

    void CopyToClipboard(int32_t id);
    void CutToClipboard(int32_t id);
    // Recursive paste of a clipboard subtree; the node's id fields are
    // rewritten with the ids of the inserted copies.
    void PasteClipboard(CMacroNode* node, int32_t targetId, InsertPosition position);

    static void ResetEligible(CMacroNode* node);
    static void FreeTree(CMacroNode* node);

    // The library file: Load reads libraryPath, Restore reads backupPath,
    // each with the extras file beside it (ExtrasReport says how that went;
    // a bad one never fails the load). On failure they return 0 and leave
    // the tree, the counter and the file header as they were.
    int Load();
    int Restore();
    int Save(SaveReport* report = nullptr) { return macroFile.Save(root, report); }
    // `error` (when given) says why the file could not be read; a file read
    // whole that is not a library leaves it empty.
    int LoadFrom(const std::string& path, std::string* error = nullptr);
    int LoadFromBytes(std::string_view bytes);

    // What SalvageFromBytes kept of a damaged file.
    struct SalvageCount {
        size_t recordsRead = 0; // whole records before the first damaged one
        size_t recordsKept = 0; // in the salvaged tree
        size_t bytesUnread = 0; // from the first damaged record to the end
    };
    // Builds the tree from the records read up to the first damaged one, as
    // a load would, except that a record whose parent was not read is left
    // out with everything under it instead of failing the whole load. 1 when
    // a root was read (the tree is replaced), else 0 and nothing changes.
    int SalvageFromBytes(std::string_view bytes, SalvageCount* count);

    // How the extras file beside the library read at the last LoadFrom.
    struct ExtrasLoadReport {
        std::string path;
        // Could not be read at all (no permission...): no extras were
        // taken, and a save will not replace the file.
        std::string readError;
        // Did not read whole (what and where): the entries that did are
        // taken, and the next save keeps the file aside.
        std::string damage;
        size_t dropped = 0; // entries of macros the library no longer has
        // Entries that read but cannot work ("Macro 'x': ..."): kept as they
        // are, and their triggers do not fire until mended.
        std::vector<std::string> problems;
        bool Clean() const { return readError.empty() && damage.empty() && problems.empty(); }
    };
    const ExtrasLoadReport& ExtrasReport() const { return extrasReport; }
    // Reads the extras file beside `libraryFile` into the tree by macro id;
    // a missing file means no macro has extras. Called by LoadFrom after a
    // good load, and by a salvage.
    void LoadExtras(const std::string& libraryFile);
    // Sets one entry's extras; 0 when no entry has the id.
    int SetExtras(int32_t id, const MacroExtras& extras);

    // Visits node, its descendants and its following siblings in pre-order
    // until the visitor returns false. Iterative: deep trees are safe.
    static void ForEachPreOrder(CMacroNode* node, const std::function<bool(CMacroNode&)>& visit);

    CMacroNode* Root() const { return root; }
    // Counts the edits of the tree (insert, update, remove, load); a saved
    // copy is out of date once it changes. Direct edits of a node's fields
    // call NoteChange.
    uint64_t Revision() const { return revision; }
    void NoteChange() { ++revision; }
    CMacroNode* Clipboard() const { return clipboard; }
    int32_t NextId() const { return nextId; }
    CMacroFile& File() { return macroFile; }
    const CMacroFile& File() const { return macroFile; }

    // Gives up the tree to the caller (used when moving a loaded tree).
    CMacroNode* ReleaseRoot();

private:
    int BuildFromBytes(std::string_view bytes, bool salvage, SalvageCount* count);
    static void AppendChild(CMacroNode* parent, CMacroNode* child);
    // The id index follows every change the library makes to its tree.
    void IndexNode(CMacroNode* node);
    void ForgetIndexed(CMacroNode* node);
    void ReindexAll();

    CMacroNode* clipboard = nullptr;
    ExtrasLoadReport extrasReport;
    int32_t nextId = 0;
    uint64_t revision = 0;
    CMacroFile macroFile;
    CMacroNode* root = nullptr;
    // Ids that occur once in the tree, to their node; an id seen twice is in
    // `sharedIds` until the next whole rebuild and is looked up by walking.
    std::unordered_map<int32_t, CMacroNode*> idIndex;
    std::unordered_set<int32_t> sharedIds;
};
