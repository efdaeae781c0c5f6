#pragma once
// The whole keypad as both sides must see it: the key hook (by the key's XKB
// name) and the trigger box (by the Qt key Qt reports for it), with NumLock
// off and on. One table, so that the two tests hold them to the same codes.

#include <array>

struct KeypadKey {
    const char* xkbName;
    int qtKeyNumLockOff;
    int qtKeyNumLockOn;
    int codeNumLockOff;
    int codeNumLockOn;
};

inline constexpr std::array<KeypadKey, 16> kKeypadKeys{{
    {"KP0", 0x01000006 /* Insert */, '0', 45, 96},
    {"KP1", 0x01000011 /* End */, '1', 35, 97},
    {"KP2", 0x01000015 /* Down */, '2', 40, 98},
    {"KP3", 0x01000017 /* PageDown */, '3', 34, 99},
    {"KP4", 0x01000012 /* Left */, '4', 37, 100},
    {"KP5", 0x0100000b /* Clear */, '5', 12, 101},
    {"KP6", 0x01000014 /* Right */, '6', 39, 102},
    {"KP7", 0x01000010 /* Home */, '7', 36, 103},
    {"KP8", 0x01000013 /* Up */, '8', 38, 104},
    {"KP9", 0x01000016 /* PageUp */, '9', 33, 105},
    {"KPDL", 0x01000007 /* Delete */, '.', 46, 110},
    {"KPEN", 0x01000005 /* Enter */, 0x01000005, 13, 13},
    {"KPAD", '+', '+', 107, 107},
    {"KPSU", '-', '-', 109, 109},
    {"KPMU", '*', '*', 106, 106},
    {"KPDV", '/', '/', 111, 111},
}};
