#include "program/AppSettings.h"

#include <charconv>
#include <optional>

namespace {
constexpr size_t kAppDirBuffer = 1024; // bytes, terminating zero included

constexpr int32_t kBitTriggers = 1;
constexpr int32_t kBitScheduler = 2;
constexpr int32_t kBitSpare = 4;
constexpr int32_t kBitHide = 8;
} // namespace

void CAppSettings::UnpackSet1() {
    enableTriggers = (set1 & kBitTriggers) ? 1 : 0;
    enableScheduler = (set1 & kBitScheduler) ? 1 : 0;
    spareFlag = (set1 & kBitSpare) ? 1 : 0;
    hideAtStartup = (set1 & kBitHide) ? 1 : 0;
}

void CAppSettings::PackSet1() {
    set1 = (enableTriggers ? kBitTriggers : 0) | (enableScheduler ? kBitScheduler : 0) |
           (spareFlag ? kBitSpare : 0) | (hideAtStartup ? kBitHide : 0);
}

int CAppSettings::ReadSettings(ISettingsStore& store) {
    SettingsMap values;
    if (!store.Read(values))
        return 0;
    // A 32-bit number in decimal; anything else is unreadable.
    auto number = [&](const char* name) -> std::optional<uint32_t> {
        auto it = values.find(name);
        if (it == values.end())
            return std::nullopt;
        const std::string& text = it->second;
        uint32_t value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            return std::nullopt;
        return value;
    };
    // A text that does not fit the fixed buffer is unreadable and ignored.
    if (auto it = values.find("AppDir"); it != values.end() && it->second.size() < kAppDirBuffer)
        appDir = it->second;
    if (auto value = number("Set1"))
        set1 = static_cast<int32_t>(*value);
    if (auto value = number("DefDel"))
        defaultDelay = *value;
    if (auto value = number("AutoClear"))
        autoClearLines = *value;
    if (auto value = number("RunMissed"))
        runMissed = *value != 0 ? 1 : 0;
    if (auto value = number("RecWait"); value && *value <= uint32_t{kMaxWindowWaitMs})
        recordWindowWaitMs = static_cast<int32_t>(*value);
    UnpackSet1();
    return 1;
}

SettingsList CAppSettings::Values() {
    PackSet1();
    return SettingsList{{"AppDir", appDir},
                        {"Set1", std::to_string(static_cast<uint32_t>(set1))},
                        {"DefDel", std::to_string(defaultDelay)},
                        {"AutoClear", std::to_string(autoClearLines)},
                        {"RunMissed", std::to_string(runMissed)},
                        {"RecWait", std::to_string(recordWindowWaitMs)}};
}

int CAppSettings::WriteSettings(ISettingsStore& store) {
    return store.WriteExisting(Values()) ? 1 : 0;
}
