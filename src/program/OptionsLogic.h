#pragma once
// What the Options dialog does with its boxes, as plain logic over the
// settings: the form it opens with, and the OK button's checks and save.

#include "ports/MessageBox.h"
#include "ports/SettingsStore.h"
#include "program/AppSettings.h"

#include <cstdint>
#include <string>

struct OptionsForm {
    bool enableTriggers = false;
    bool enableScheduler = false;
    bool hideAtStartup = false;
    bool runMissed = false; // "Run macros missed while the computer slept"
    std::string delayText;  // "Default Delay for Recording:"
    std::string linesText;  // "Automatically clear Log file after"
};

OptionsForm OptionsFormFrom(const CAppSettings& settings);

// A number box's text as a decimal integer the way the C library's atoi reads
// it (leading blanks, a sign, digits up to the first other character; empty
// counts as 0), saturated to the 32-bit range, then taken as unsigned 32 bits:
// "-1" becomes 4294967295.
uint32_t NumberBoxValue(const std::string& text);

constexpr const char* kDelayLimitTitle = "Wingmate Error";
// "Maximum delay is %d milliseconds.\nValue set to %d" with the limit twice.
std::string DelayLimitMessage();

// OK: stores the flags, the delay (above the limit it becomes the limit, with
// the message) and the line count, then writes the settings to the store
// (skipped silently when the store does not exist).
void ApplyOptions(CAppSettings& settings, const OptionsForm& form, IMessageBox& messages,
                  ISettingsStore& store);
