#include "views/TrayState.h"

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
        look = {TrayIcon::Running, "Tessera Wingmate - Running Macro"};
    } else if (state.recording) {
        look = {TrayIcon::Recording,
                "Tessera Wingmate - Recording\n(" + state.stopKeyText + " to stop)"};
    } else if (!state.triggersEnabled && !state.schedulerEnabled) {
        look = {TrayIcon::Disabled, "Tessera Wingmate - Disabled"};
    } else if (!state.triggersEnabled) {
        look = {TrayIcon::TriggersDisabled, "Tessera Wingmate - Triggers Disabled"};
    } else if (!state.schedulerEnabled) {
        look = {TrayIcon::SchedulerDisabled, "Tessera Wingmate - Scheduler Disabled"};
    } else {
        look = {TrayIcon::Idle, "Tessera Wingmate"};
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
