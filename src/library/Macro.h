#pragma once
// One entry of the macro library: a runnable macro or a macro set (folder).

#include "library/MacroExtras.h"

#include <cstdint>
#include <string>
#include <utility>

enum class MacroKind : int32_t { Macro = 1, MacroSet = 2 };
enum class ScheduleType : int32_t { NotScheduled = 0, SingleOccurrence = 1, Repeated = 2 };
enum class ScheduleUnit : int32_t {
    Seconds = 0,
    Minutes = 1,
    Hours = 2,
    Days = 3,
    Weeks = 4,
    Month = 5,
    Year = 6
};
enum class TriggerPrefix : int32_t { None = 0, Ctrl = 1, Shift = 2 };
// Any value other than After and Before acts as Into.
enum class InsertPosition : int32_t { After = 1, Before = 2, Into = 3 };

// Fields keep the plain int32 representation of the stored file so that values
// outside the enumerations (never produced by our own editing) survive a
// load/save round trip unchanged.
class CMacro {
public:
    CMacro();
    CMacro(const CMacro&) = default;
    CMacro& operator=(const CMacro&) = default;
    CMacro(CMacro&&) = default;
    CMacro& operator=(CMacro&&) = default;
    virtual ~CMacro();

    // Copies every field except `eligible`, `parentId` and `extras`: writing
    // an edited copy back never moves the entry nor disturbs a running
    // scheduler pass, and a form that does not show the extras cannot wipe
    // them (they are written with CMacroLibrary::SetExtras).
    void AssignFrom(const CMacro& other);

    bool IsMacroSet() const { return kind == static_cast<int32_t>(MacroKind::MacroSet); }

    int32_t triggerPrefix = 0;
    int32_t eligible = 1;
    int32_t frequency = 1;
    int32_t id = 0;
    int32_t parentId = 0;
    int32_t kind = static_cast<int32_t>(MacroKind::Macro);
    std::string triggerKey;
    std::string startDate;
    std::string startTime;
    int32_t unit = 0;
    int32_t scheduleType = 0;
    int32_t runAsScript = 1;
    std::string executable;
    std::string extra;
    std::string description;
    std::string scriptFile;
    std::string name;
    std::string lastRunText;
    int64_t lastRunTime = 0;
    // Not in the library file: in its sidecar.
    MacroExtras extras;
};

// A record in the library tree. Links are plain pointers; the library owns
// every node.
class CMacroNode : public CMacro {
public:
    CMacroNode() = default;
    explicit CMacroNode(const CMacro& record) : CMacro(record) {}
    explicit CMacroNode(CMacro&& record) : CMacro(std::move(record)) {}

    CMacroNode* next = nullptr;
    CMacroNode* parent = nullptr;
    CMacroNode* firstChild = nullptr;
};
