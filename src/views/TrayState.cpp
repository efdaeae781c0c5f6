#include "views/TrayState.h"

#include "ports/UiText.h"

namespace {
// Cuts a UTF-8 text to at most `limit` bytes without splitting a character.
std::string CutUtf8(std::string text, size_t limit) {
    if (text.size() <= limit)
        return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}
} // namespace

TrayLook DecideTrayLook(const ProgramState& state) {
    TrayLook look;
    if (state.running) {
        look = {TrayIcon::Running, UiText(UI_TEXT("Wingmate", "Tessera Wingmate - Running Macro"))};
    } else if (state.recording) {
        look = {TrayIcon::Recording,
                UiFormat(UI_TEXT("Wingmate", "Tessera Wingmate - Recording\n(%1 to stop)"),
                         {state.stopKeyText})};
    } else if (!state.triggersEnabled && !state.schedulerEnabled) {
        look = {TrayIcon::Disabled, UiText(UI_TEXT("Wingmate", "Tessera Wingmate - Disabled"))};
    } else if (!state.triggersEnabled) {
        look = {TrayIcon::TriggersDisabled,
                UiText(UI_TEXT("Wingmate", "Tessera Wingmate - Triggers Disabled"))};
    } else if (!state.schedulerEnabled) {
        look = {TrayIcon::SchedulerDisabled,
                UiText(UI_TEXT("Wingmate", "Tessera Wingmate - Scheduler Disabled"))};
    } else {
        look = {TrayIcon::Idle, "Tessera Wingmate"}; // the name
    }
    look.tooltip = CutUtf8(std::move(look.tooltip), kMaxTooltipBytes);
    return look;
}

RunButtons DecideRunButtons(const ProgramState& state, bool macroSelected) {
    RunButtons buttons;
    if (state.running) {
        buttons.stop = true;
        buttons.edit = macroSelected;
        return buttons;
    }
    if (state.recording) {
        buttons.edit = macroSelected;
        return buttons;
    }
    buttons.run = buttons.edit = macroSelected;
    return buttons;
}
