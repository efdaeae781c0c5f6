#pragma once
// The tray icon, its tooltip and the run buttons of the toolbar follow the
// program's state: running, recording, triggers and scheduler on or off.

#include <string>

enum class TrayIcon { Idle, Running, Recording, Disabled, TriggersDisabled, SchedulerDisabled };

struct ProgramState {
    bool running = false;
    bool recording = false;
    bool triggersEnabled = true;
    bool schedulerEnabled = true;
    std::string stopKeyText; // the key that ends a recording
};

struct TrayLook {
    TrayIcon icon = TrayIcon::Idle;
    std::string tooltip; // at most kMaxTooltipBytes
};
constexpr size_t kMaxTooltipBytes = 127;

// The first state that applies wins: running, recording, both disabled,
// triggers disabled, scheduler disabled, idle.
TrayLook DecideTrayLook(const ProgramState& state);

struct RunButtons {
    bool run = false;  // "Run Macro"
    bool edit = false; // "Edit Script"
    bool stop = false; // "Stop Macro"
};
// `macroSelected`: the selected tree entry is a macro other than the root.
RunButtons DecideRunButtons(const ProgramState& state, bool macroSelected);
