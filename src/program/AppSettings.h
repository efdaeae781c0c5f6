#pragma once
// The user's settings, read at start-up and written at exit and by Options.

#include "ports/SettingsStore.h"
#include "record/Recorder.h"

#include <cstdint>
#include <string>

class CAppSettings {
public:
    static constexpr uint32_t kMaxDefaultDelay = 600000;

    CAppSettings() = default;
    virtual ~CAppSettings() = default;

    // 1 when the store exists (values present in it replace the fields,
    // then `set1` is unpacked into the four flags); 0 when it does not.
    int ReadSettings(ISettingsStore& store);
    // Packs the flags into `set1` and writes every value to an existing
    // store: 1, or 0 when there is no store (nothing is created).
    int WriteSettings(ISettingsStore& store);

    // The values as they are written, with `set1` packed from the flags.
    SettingsList Values();
    void PackSet1();
    void UnpackSet1();

    std::string appDir;
    int32_t enableTriggers = 1;
    int32_t enableScheduler = 1;
    uint32_t defaultDelay = 200;
    uint32_t autoClearLines = 1000;
    int32_t spareFlag = 1;
    int32_t hideAtStartup = 0;
    // "Run macros missed while the computer slept"; a value of its own
    // ("RunMissed"), so Set1 keeps its meaning.
    int32_t runMissed = 0;
    // How long recorded scripts wait for each window, in milliseconds
    // ("RecWait"; the Record Script dialog's box).
    int32_t recordWindowWaitMs = kDefaultWindowWaitMs;
    int32_t set1 = 7;
};
