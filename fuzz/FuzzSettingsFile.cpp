// Feeds arbitrary bytes to the settings file reader. Every value it yields
// writes back as a line that reads to the same name and value.
#include "program/IniSettingsStore.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SettingsMap values;
    CIniSettingsStore::Parse(text, values);
    std::string written = "[Wingmate]\n";
    for (const auto& [name, value] : values) {
        if (name.empty() || name.find('=') != std::string::npos ||
            name.find('\n') != std::string::npos)
            std::abort();
        written += name + "=" + CIniSettingsStore::Escape(value) + "\n";
    }
    SettingsMap again;
    CIniSettingsStore::Parse(written, again);
    if (again != values)
        std::abort();
    return 0;
}
