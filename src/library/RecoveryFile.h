#pragma once
// The recovery copy of the library beside it ("Macros.mcf.recovery"): every
// edit is written there within two seconds, so a crash or a kill loses at
// most that much. A clean save deletes it; at start, one newer than the
// library means the last run did not end cleanly.

#include "library/MacroLibrary.h"
#include "ports/Clock.h"

#include <cstdint>
#include <string>

class CRecoveryFile {
public:
    static constexpr const char* kSuffix = ".recovery";

    CRecoveryFile(CMacroLibrary& library, const IClock& clock);

    std::string Path() const;

    // The library as it is now is the saved one (after a load or a save):
    // nothing to recover. After a save the recovery file is deleted.
    void MarkSaved(bool deleteFile);

    // Called often (the window's timer): once an edit is a second old, the
    // library is written to the recovery file, or the file is deleted when
    // the library is back to what was saved. false (with `error`) when the
    // write failed; it is tried again at the next edit.
    bool Tick(std::string* error = nullptr);

    // The library differs from the one last loaded or saved.
    bool HasUnsavedEdits() const { return Fingerprint() != savedFingerprint; }

    // A recovery file newer than the library (or beside a missing library):
    // the last run ended without saving its edits.
    bool LeftByUncleanEnd() const;
    // Renames the recovery file to "<library>.recovery-YYYYMMDD-HHMMSS" (with
    // "-2", "-3"... when that is taken); the new name, or empty with `error`.
    std::string KeepAside(std::string* error) const;
    // Deletes the recovery file and its extras (missing ones are fine).
    void Remove() const;

private:
    std::string Content() const;
    size_t Fingerprint() const;

    CMacroLibrary& library;
    const IClock& clock;
    uint64_t seenRevision = 0;
    size_t savedFingerprint = 0;
    bool pending = false;
    int64_t pendingSince = 0;
};
