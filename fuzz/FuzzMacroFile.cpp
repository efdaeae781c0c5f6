// Feeds arbitrary bytes to the library loader; a load either fails cleanly
// and leaves the library as it was, or yields a consistent tree. A tree whose
// ids are unique saves back and loads to the same bytes (with duplicate ids
// the parent lookup may legitimately pick another node on the second load).
#include "library/MacroLibrary.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <unordered_set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMacroLibrary library;
    library.InsertRecord(CMacro(), -1, InsertPosition::Into);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!library.LoadFromBytes(bytes)) {
        if (!library.Root() || library.Root()->firstChild || library.Root()->id != 1)
            std::abort();
        return 0;
    }
    // Every node's parentId matches its parent.
    std::unordered_set<int32_t> ids;
    bool unique = true;
    CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode& node) {
        unique = ids.insert(node.id).second && unique;
        for (CMacroNode* child = node.firstChild; child; child = child->next)
            if (child->parent != &node || child->parentId != node.id)
                std::abort();
        return true;
    });
    if (!unique)
        return 0;
    const std::string saved = library.File().Encode(library.Root());
    CMacroLibrary again;
    if (!again.LoadFromBytes(saved) || again.File().Encode(again.Root()) != saved)
        std::abort();
    return 0;
}
