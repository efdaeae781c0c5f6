#include "library/MacroLibrary.h"

#include "library/AtomicFile.h"

#include <cstdint>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {
constexpr int32_t kMaxId = std::numeric_limits<int32_t>::max();
}

CMacroLibrary::CMacroLibrary() = default;

CMacroLibrary::~CMacroLibrary() {
    FreeTree(root);
    FreeTree(clipboard);
}

void CMacroLibrary::ForEachPreOrder(CMacroNode* node,
                                    const std::function<bool(CMacroNode&)>& visit) {
    std::vector<CMacroNode*> pending;
    if (node)
        pending.push_back(node);
    while (!pending.empty()) {
        CMacroNode* current = pending.back();
        pending.pop_back();
        if (!visit(*current))
            return;
        // The sibling waits below the subtree so the subtree comes first.
        if (current->next)
            pending.push_back(current->next);
        if (current->firstChild)
            pending.push_back(current->firstChild);
    }
}

CMacroNode* CMacroLibrary::FindById(int32_t id, CMacroNode* start) const {
    if (start && start == root && !sharedIds.count(id)) {
        auto it = idIndex.find(id);
        // A node whose id was rewritten by hand no longer answers here.
        if (it != idIndex.end() && it->second->id == id)
            return it->second;
    }
    // Shared ids, searches below the root, and nodes linked in by hand.
    CMacroNode* found = nullptr;
    ForEachPreOrder(start, [&](CMacroNode& node) {
        if (node.id != id)
            return true;
        found = &node;
        return false;
    });
    return found;
}

void CMacroLibrary::IndexNode(CMacroNode* node) {
    auto [it, inserted] = idIndex.emplace(node->id, node);
    if (!inserted && it->second != node)
        sharedIds.insert(node->id);
}

// The node and its descendants, not its following siblings.
void CMacroLibrary::ForgetIndexed(CMacroNode* node) {
    auto forget = [this](CMacroNode& each) {
        if (sharedIds.count(each.id))
            return true;
        auto it = idIndex.find(each.id);
        if (it != idIndex.end() && it->second == &each)
            idIndex.erase(it);
        return true;
    };
    forget(*node);
    ForEachPreOrder(node->firstChild, forget);
}

void CMacroLibrary::ReindexAll() {
    idIndex.clear();
    sharedIds.clear();
    ForEachPreOrder(root, [this](CMacroNode& node) {
        IndexNode(&node);
        return true;
    });
}

int32_t CMacroLibrary::AllocateId() {
    if (nextId >= 0 && nextId < kMaxId)
        return ++nextId;
    // The counter is spent: a tree of n nodes leaves an id in 1..n+1 free.
    size_t count = 0;
    ForEachPreOrder(root, [&](CMacroNode&) {
        ++count;
        return true;
    });
    std::vector<bool> used(count + 2, false);
    ForEachPreOrder(root, [&](CMacroNode& node) {
        if (node.id >= 1 && static_cast<size_t>(node.id) <= count + 1)
            used[static_cast<size_t>(node.id)] = true;
        return true;
    });
    for (size_t id = 1; id < used.size() && id <= static_cast<size_t>(kMaxId); ++id) {
        if (!used[id])
            return static_cast<int32_t>(id);
    }
    return 0;
}

void CMacroLibrary::ResetNextId(int32_t n) {
    const int32_t past = n >= 0 ? n : MaxId(root, 1);
    nextId = past == kMaxId ? kMaxId : past + 1;
}

int32_t CMacroLibrary::MaxId(const CMacroNode* node, int32_t floor) {
    int32_t largest = floor;
    ForEachPreOrder(const_cast<CMacroNode*>(node), [&](CMacroNode& each) {
        if (each.id > largest)
            largest = each.id;
        return true;
    });
    return largest;
}

void CMacroLibrary::AppendChild(CMacroNode* parent, CMacroNode* child) {
    child->parent = parent;
    child->parentId = parent->id;
    child->next = nullptr;
    if (!parent->firstChild) {
        parent->firstChild = child;
        return;
    }
    CMacroNode* last = parent->firstChild;
    while (last->next)
        last = last->next;
    last->next = child;
}

int32_t CMacroLibrary::MakeRoot(const CMacro& record) {
    const int32_t id = record.id < 1 ? AllocateId() : record.id;
    if (id == 0)
        return 0;
    auto* node = new CMacroNode(record);
    node->next = node->parent = node->firstChild = nullptr;
    node->eligible = 1;
    node->id = id;
    node->parentId = id;
    FreeTree(root);
    root = node;
    ReindexAll();
    return id;
}

int32_t CMacroLibrary::InsertRecord(const CMacro& record, int32_t targetId,
                                    InsertPosition position) {
    ++revision;
    CMacroNode* target = FindById(targetId, root);
    if (!target)
        target = root;
    if (!target) {
        // An empty library: the record becomes the root.
        return MakeRoot(record);
    }

    const int32_t id = record.id == 0 ? AllocateId() : record.id;
    if (id == 0)
        return 0;
    auto* node = new CMacroNode(record);
    node->next = node->parent = node->firstChild = nullptr;
    node->id = id;

    if (position == InsertPosition::After) {
        if (!target->parent) {
            AppendChild(target, node);
            IndexNode(node);
            return node->id;
        }
        node->next = target->next;
        node->parent = target->parent;
        node->parentId = target->parent->id;
        target->next = node;
        IndexNode(node);
        return node->id;
    }

    if (position == InsertPosition::Before) {
        CMacroNode* parent = target->parent;
        if (!parent) {
            delete node;
            return InsertRecord(record, root->id, InsertPosition::Into);
        }
        if (parent->firstChild != target) {
            CMacroNode* before = parent->firstChild;
            while (before && before->next != target)
                before = before->next;
            delete node;
            return InsertRecord(record, before ? before->id : parent->id,
                                before ? InsertPosition::After : InsertPosition::Into);
        }
        node->parent = parent;
        node->parentId = parent->id;
        node->next = target;
        parent->firstChild = node;
        IndexNode(node);
        return node->id;
    }

    AppendChild(target, node);
    IndexNode(node);
    return node->id;
}

int CMacroLibrary::UpdateRecord(const CMacro& record) {
    CMacroNode* node = FindById(record.id, root);
    if (!node)
        return 0;
    node->AssignFrom(record);
    ++revision;
    return 1;
}

void CMacroLibrary::RemoveNode(int32_t id) {
    CMacroNode* node = FindById(id, root);
    if (!node || node == root || !node->parent)
        return;
    ++revision;
    ForgetIndexed(node);
    CMacroNode* parent = node->parent;
    if (parent->firstChild == node) {
        parent->firstChild = node->next;
    } else {
        CMacroNode* before = parent->firstChild;
        while (before && before->next != node)
            before = before->next;
        if (before)
            before->next = node->next;
    }
    node->next = nullptr;
    FreeTree(node);
}

// Copies the child list `source` (each node with its subtree and following
// siblings) under `parentCopy`. Iterative so that deep trees are safe.
static CMacroNode* CopyChildList(const CMacroNode* source, CMacroNode* parentCopy) {
    struct Job {
        const CMacroNode* from;
        CMacroNode** link;
        CMacroNode* parent;
    };
    CMacroNode* head = nullptr;
    std::vector<Job> jobs{{source, &head, parentCopy}};
    while (!jobs.empty()) {
        Job job = jobs.back();
        jobs.pop_back();
        auto* copy = new CMacroNode();
        copy->AssignFrom(*job.from);
        copy->parent = job.parent;
        *job.link = copy;
        if (job.from->next)
            jobs.push_back({job.from->next, &copy->next, job.parent});
        if (job.from->firstChild)
            jobs.push_back({job.from->firstChild, &copy->firstChild, copy});
    }
    return head;
}

void CMacroLibrary::CopyToClipboard(int32_t id) {
    FreeTree(clipboard);
    clipboard = new CMacroNode();
    CMacroNode* source = FindById(id, root);
    if (!source)
        return;
    clipboard->AssignFrom(*source);
    if (source->firstChild)
        clipboard->firstChild = CopyChildList(source->firstChild, clipboard);
}

void CMacroLibrary::CutToClipboard(int32_t id) {
    CopyToClipboard(id);
    RemoveNode(id);
}

void CMacroLibrary::PasteClipboard(CMacroNode* node, int32_t targetId, InsertPosition position) {
    // Same order as the recursive definition: the node, its children Into it,
    // then its next sibling After it. Kept iterative for deep clipboards.
    struct Job {
        CMacroNode* node;
        int32_t target;
        InsertPosition position;
    };
    std::vector<Job> jobs;
    if (node)
        jobs.push_back({node, targetId, position});
    while (!jobs.empty()) {
        Job job = jobs.back();
        jobs.pop_back();
        job.node->id = 0;
        job.node->parentId = 0;
        CMacro copy(*job.node);
        job.node->id = InsertRecord(copy, job.target, job.position);
        if (job.node->id == 0)
            continue; // no id left: nothing can hang below or after it
        if (job.node->next)
            jobs.push_back({job.node->next, job.node->id, InsertPosition::After});
        if (job.node->firstChild)
            jobs.push_back({job.node->firstChild, job.node->id, InsertPosition::Into});
    }
}

void CMacroLibrary::ResetEligible(CMacroNode* node) {
    ForEachPreOrder(node, [](CMacroNode& each) {
        each.eligible = 1;
        return true;
    });
}

void CMacroLibrary::FreeTree(CMacroNode* node) {
    std::vector<CMacroNode*> pending;
    if (node)
        pending.push_back(node);
    while (!pending.empty()) {
        CMacroNode* current = pending.back();
        pending.pop_back();
        if (current->next)
            pending.push_back(current->next);
        if (current->firstChild)
            pending.push_back(current->firstChild);
        delete current;
    }
}

CMacroNode* CMacroLibrary::ReleaseRoot() {
    CMacroNode* released = root;
    root = nullptr;
    idIndex.clear();
    sharedIds.clear();
    return released;
}

int CMacroLibrary::Load() {
    return LoadFrom(macroFile.libraryPath);
}

int CMacroLibrary::Restore() {
    return LoadFrom(macroFile.backupPath);
}

// Builds the loaded tree in a scratch library, exactly as inserting each
// record Into its parent would, but finds parents through an id index and
// appends through a last-child index so the load stays linear. An id that
// occurs twice is looked up the slow way, so the first node in pre-order wins
// as it would with FindById.
int CMacroLibrary::LoadFrom(const std::string& path, std::string* error) {
    std::string bytes;
    if (!CMacroFile::ReadWholeFile(path, bytes, error))
        return 0;
    if (error)
        error->clear();
    if (!LoadFromBytes(bytes))
        return 0;
    LoadExtras(path);
    return 1;
}

void CMacroLibrary::LoadExtras(const std::string& libraryFile) {
    extrasReport = ExtrasLoadReport{};
    extrasReport.path = CMacroFile::ExtrasPath(libraryFile);
    ForEachPreOrder(root, [](CMacroNode& node) {
        node.extras = MacroExtras{};
        return true;
    });
    std::string text;
    bool missing = false;
    if (!ReadRegularFile(extrasReport.path, text, &extrasReport.readError, &missing)) {
        if (missing)
            extrasReport.readError.clear();
        return;
    }
    ExtrasFileRead read = DecodeExtrasFile(text);
    extrasReport.damage = std::move(read.damage);
    for (auto& [id, extras] : read.entries) {
        CMacroNode* node = FindById(id, root);
        if (!node) {
            ++extrasReport.dropped;
            continue;
        }
        if (const std::string problem = ExtrasProblem(extras); !problem.empty())
            extrasReport.problems.push_back("Macro '" + node->name + "': " + problem);
        node->extras = std::move(extras);
    }
}

int CMacroLibrary::SetExtras(int32_t id, const MacroExtras& extras) {
    CMacroNode* node = FindById(id, root);
    if (!node)
        return 0;
    node->extras = extras;
    ++revision;
    return 1;
}

int CMacroLibrary::LoadFromBytes(std::string_view bytes) {
    return BuildFromBytes(bytes, false, nullptr);
}

int CMacroLibrary::SalvageFromBytes(std::string_view bytes, SalvageCount* count) {
    return BuildFromBytes(bytes, true, count);
}

// A salvage differs from a load in two points only: it stops quietly at the
// first record that is cut short or has an impossible length, and a record
// whose parent is unknown is dropped rather than failing everything.
int CMacroLibrary::BuildFromBytes(std::string_view bytes, bool salvage, SalvageCount* count) {
    CMacroLibrary result;
    std::unordered_map<int32_t, CMacroNode*> byId;
    std::unordered_set<int32_t> ambiguous;
    std::unordered_map<CMacroNode*, CMacroNode*> lastChild;
    // A record takes at least 76 bytes; size the indexes once.
    byId.reserve(bytes.size() / 76 + 1);

    auto remember = [&](CMacroNode* node) {
        auto [it, inserted] = byId.emplace(node->id, node);
        if (!inserted)
            ambiguous.insert(node->id);
    };

    int32_t header = 0;
    size_t recordsRead = 0;
    size_t consumed = 0;
    const auto decoded = [&](CMacro&& record) {
        ++recordsRead;
        if (record.parentId == record.id) {
            if (result.MakeRoot(record) == 0)
                return salvage;
            byId.clear();
            ambiguous.clear();
            lastChild.clear();
            remember(result.root);
            return true;
        }
        CMacroNode* parent = nullptr;
        if (ambiguous.count(record.parentId)) {
            parent = result.FindById(record.parentId, result.root);
        } else if (auto it = byId.find(record.parentId); it != byId.end()) {
            parent = it->second;
        }
        if (!parent)
            return salvage;
        auto* node = new CMacroNode(std::move(record));
        node->eligible = 1;
        if (node->id == 0)
            node->id = result.AllocateId();
        if (node->id == 0) {
            delete node;
            return salvage;
        }
        node->parent = parent;
        node->parentId = parent->id;
        CMacroNode*& tail = lastChild[parent];
        if (!tail) {
            // A parent found through the slow path may already have children
            // that were appended before it became ambiguous.
            tail = parent->firstChild;
            while (tail && tail->next)
                tail = tail->next;
        }
        if (tail)
            tail->next = node;
        else
            parent->firstChild = node;
        tail = node;
        remember(node);
        return true;
    };
    const bool read = CMacroFile::DecodeRecords(bytes, header, decoded, &consumed);
    if (count) {
        *count = SalvageCount{};
        count->recordsRead = recordsRead;
        count->bytesUnread = bytes.size() - consumed;
    }
    if ((!read && !salvage) || !result.root)
        return 0;
    if (count) {
        ForEachPreOrder(result.root, [&](CMacroNode&) {
            ++count->recordsKept;
            return true;
        });
    }

    FreeTree(root);
    root = result.ReleaseRoot();
    extrasReport = ExtrasLoadReport{};
    ReindexAll();
    ++revision;
    macroFile.formatValue = header;
    ResetNextId(-1);
    return 1;
}
