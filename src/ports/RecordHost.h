#pragma once
// Port: what the Record Script dialog needs of the main window. The main
// window implements it; tests give a fake.

#include <string>

class IRecordMainWindow {
public:
    virtual ~IRecordMainWindow() = default;
    // The recording flag and the text of the combination that stops it
    // ("CTRL+Z"); the tray shows both after RefreshTrayState.
    virtual void SetRecording(bool recording, const std::string& stopKeyText) = 0;
    virtual bool SchedulerEnabled() const = 0;
    virtual void SetSchedulerEnabled(bool enabled) = 0;
    virtual bool TriggersEnabled() const = 0;
    virtual void SetTriggersEnabled(bool enabled) = 0;
    virtual void RefreshTrayState() = 0;
    // Releases the trigger keyboard hook, so trigger keys reach the recording.
    virtual void ReleaseTriggerHook() = 0;
    virtual void ShowMainWindow() = 0;
    virtual void HideMainWindow() = 0;
    // "Default Delay for Recording:", in milliseconds.
    virtual int DefaultDelay() const = 0;
    // How long recorded scripts wait for each window, in milliseconds: the
    // dialog's box shows it and sets it at every Start; it is kept with the
    // settings.
    virtual int WindowWait() const = 0;
    virtual void SetWindowWait(int milliseconds) = 0;
};
