#include "program/OptionsLogic.h"

#include "ports/UiText.h"

#include <cctype>
#include <cstdio>
#include <limits>

OptionsForm OptionsFormFrom(const CAppSettings& settings) {
    OptionsForm form;
    form.enableTriggers = settings.enableTriggers != 0;
    form.enableScheduler = settings.enableScheduler != 0;
    form.hideAtStartup = settings.hideAtStartup != 0;
    form.runMissed = settings.runMissed != 0;
    // The boxes show the numbers written with "%d", as the settings hold them.
    form.delayText = std::to_string(static_cast<int32_t>(settings.defaultDelay));
    form.linesText = std::to_string(static_cast<int32_t>(settings.autoClearLines));
    return form;
}

uint32_t NumberBoxValue(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > kLimit)
            magnitude = kLimit; // saturate; stays bounded however long the text
        ++at;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max())
        value = std::numeric_limits<int32_t>::max();
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

std::string DelayLimitMessage() {
    const std::string limit = std::to_string(CAppSettings::kMaxDefaultDelay);
    return UiFormat(UI_TEXT("Wingmate", "Maximum delay is %1 milliseconds.\nValue set to %1"),
                    {limit});
}

void ApplyOptions(CAppSettings& settings, const OptionsForm& form, IMessageBox& messages,
                  ISettingsStore& store) {
    settings.enableScheduler = form.enableScheduler ? 1 : 0;
    settings.enableTriggers = form.enableTriggers ? 1 : 0;
    settings.hideAtStartup = form.hideAtStartup ? 1 : 0;
    settings.runMissed = form.runMissed ? 1 : 0;

    uint32_t delay = NumberBoxValue(form.delayText);
    if (delay > CAppSettings::kMaxDefaultDelay) {
        delay = CAppSettings::kMaxDefaultDelay;
        messages.Show(DelayLimitMessage(), kDelayLimitTitle, MessageButtons::Ok);
    }
    settings.defaultDelay = delay;
    settings.autoClearLines = NumberBoxValue(form.linesText);
    settings.WriteSettings(store);
}
