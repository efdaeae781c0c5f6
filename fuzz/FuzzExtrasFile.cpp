// Feeds arbitrary text to the reader of the macros' extras file: it never
// crashes, and what it read writes back to a file that reads again whole
// and the same.
#include "library/MacroExtras.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ExtrasFileRead read = DecodeExtrasFile(text);
    for (auto& [id, extras] : read.entries)
        ExtrasProblem(extras);
    // Entries without extras are not written; leave them out of the check.
    std::erase_if(read.entries, [](const auto& entry) { return entry.second.Empty(); });
    const ExtrasFileRead again = DecodeExtrasFile(EncodeExtrasFile(read.entries));
    if (!again.damage.empty() || again.entries != read.entries)
        std::abort();
    return 0;
}
