#pragma once
// Recording fakes of the platform ports.

#include "ports/Clock.h"
#include "ports/MessageBox.h"
#include "ports/SettingsStore.h"

#include <optional>
#include <string>
#include <vector>

class CFakeClock : public IClock {
public:
    explicit CFakeClock(int64_t start = 0) : now(start) {}
    int64_t Now() const override { return now; }
    void Advance(int64_t seconds) { now += seconds; }
    int64_t now;
};

// Settings store in memory; `exists` false behaves like a missing store.
class CMemorySettingsStore : public ISettingsStore {
public:
    bool Read(SettingsMap& out) override;
    bool WriteExisting(const SettingsList& list) override;
    bool Create(const SettingsList& list) override;
    bool Exists() const override { return exists; }

    bool exists = false;
    SettingsMap values;
    std::vector<SettingsList> writes; // every successful write, in order
};

class CRecordingMessageBox : public IMessageBox {
public:
    struct Shown {
        std::string text;
        std::string title;
        MessageButtons buttons;
    };
    MessageAnswer Show(const std::string& text, const std::string& title,
                       MessageButtons buttons) override;

    std::vector<Shown> shown;
    MessageAnswer answer = MessageAnswer::Yes; // for Yes/No(/Cancel) questions
};
