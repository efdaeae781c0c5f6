#include "fakes/Fakes.h"

bool CMemorySettingsStore::Read(SettingsMap& out) {
    if (!exists)
        return false;
    out = values;
    return true;
}

bool CMemorySettingsStore::WriteExisting(const SettingsList& list) {
    if (!exists)
        return false;
    for (const auto& [name, value] : list)
        values[name] = value;
    writes.push_back(list);
    return true;
}

bool CMemorySettingsStore::Create(const SettingsList& list) {
    exists = true;
    values.clear();
    for (const auto& [name, value] : list)
        values[name] = value;
    return true;
}

MessageAnswer CRecordingMessageBox::Show(const std::string& text, const std::string& title,
                                         MessageButtons buttons) {
    shown.push_back({text, title, buttons});
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    // A Yes/No question has no Cancel: closing it counts as No.
    if (buttons != MessageButtons::YesNoCancel && answer == MessageAnswer::Cancel)
        return MessageAnswer::No;
    return answer;
}
