#pragma once
// The recorder's event source on X11: the RECORD extension, read on a thread
// of its own like the key hook. Reports keys (virtual-key code and the
// character the key produced under the active layout, dead-key sequences
// composed), buttons, pointer motion, and the active window's title when it
// changes before a key or button press. The thread only reports; the recorder queues.

#include "record/Recorder.h"

#include <memory>
#include <string>

class CX11RecordSource : public IRecordSource {
public:
    // `displayName` empty: $DISPLAY. Opens nothing until Start.
    explicit CX11RecordSource(std::string displayName = {});
    ~CX11RecordSource() override;
    CX11RecordSource(const CX11RecordSource&) = delete;
    CX11RecordSource& operator=(const CX11RecordSource&) = delete;

    // Returns once the server records, so nothing done after it is missed.
    std::string Start(EventFn onEvent) override;
    void Stop() override;
    // While recording, the stop combination is grabbed so that the
    // application in front does not also get it (Ctrl+Z would undo there).
    void SetStopCombination(int modifierCode, int keyCode, const std::string& character) override;
    // Reads the keyboard of the display: does a key type `character` in
    // the group in use? True when the display cannot be read: the start
    // then says why.
    bool LayoutTypes(const std::string& character) override;

    // Empty when recording can run on the display, else why not
    // ("Recording is unavailable: DISPLAY is not set.").
    static std::string Probe(const std::string& displayName = {});

    struct Session;

private:
    std::string displayName;
    int stopModifier = 0;
    int stopKey = 0;
    std::string stopCharacter;
    std::unique_ptr<Session> session;
};
