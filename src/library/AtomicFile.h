#pragma once
// Whole-or-nothing file writes: a user's file is either the old one or the
// complete new one, never half of each, and it keeps its mode, owner and
// symbolic link.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

// Hands bytes to the file being written; false once a write failed (the
// primitive then stops and reports why).
using ChunkWriter = std::function<bool(std::string_view bytes)>;
// Produces the file's content through the writer; false to abandon the write.
using ContentProducer = std::function<bool(const ChunkWriter& write)>;

struct AtomicWriteOptions {
    // Permission bits of a file that does not exist yet, less the umask. An
    // existing file keeps its own mode (and owner, where allowed).
    mode_t newFileMode = 0644;
    // Never replace an existing file: the write fails with "File exists"
    // (the file is linked into place instead of renamed over).
    bool noReplace = false;
};

// Writes `path` through a temporary file in the folder of its final target:
// a symbolic link (relative, chained or dangling) is followed and its target
// replaced, so the link stays a link. The temporary is created exclusively
// and close-on-exec, written, synced, given the old file's mode, renamed over
// the target, and the folder is synced. On any failure the temporary is
// removed, the old file is untouched and `error` (when given) says what
// failed, with the path and the system's reason.
bool WriteFileAtomically(const std::string& path, const ContentProducer& produce,
                         std::string* error, const AtomicWriteOptions& options = {});
bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error,
                         const AtomicWriteOptions& options = {});

// Removes the temporary files that writes of `path` (links resolved, as
// above) left behind when their process was killed: only names of the form
// those writes make, regular files of this user, whose writing process no
// longer exists. Returns how many were removed.
int RemoveStaleTemporaries(const std::string& path);

// Opens `path` for appending; a new file gets `newFileMode` (less the umask),
// an existing one keeps its own. Null when it cannot be opened.
std::FILE* OpenForAppend(const std::string& path, mode_t newFileMode = 0600);

// The path a symbolic link chain at `path` ends in (the path itself when it
// is not a link). The final target need not exist. false (with `error`) for a
// loop or a link that cannot be read.
bool ResolveLinkTarget(const std::string& path, std::string& target, std::string* error);

// Reads a whole regular file. false with `error` for a missing file, a
// folder or other non-regular file, no permission, a read error, or a file
// too large for memory. `missing` (when given) tells a file that does not
// exist from one that cannot be read.
bool ReadRegularFile(const std::string& path, std::string& bytes, std::string* error,
                     bool* missing = nullptr);

// A local time as "YYYYMMDD-HHMMSS", for the dated names of files kept
// aside.
std::string LocalTimeStamp(int64_t seconds);

// Test hook: the stages of a write at which a fault can be injected.
enum class AtomicWriteStage { CreateTemporary, Write, Sync, Rename, SyncFolder };
// Returns the errno to fail the stage with, 0 to let it run. `target` is the
// file being replaced (links resolved). At Write it is asked before each
// chunk with the bytes written so far; a fault there writes half of the
// chunk first (a disk that fills partway through).
using AtomicWriteFault =
    std::function<int(const std::string& target, AtomicWriteStage stage, size_t bytesWritten)>;
// Installs (or, with an empty function, removes) the hook for every write in
// the process. For tests only: not synchronised with writes on other threads.
void SetAtomicWriteFaultForTesting(AtomicWriteFault fault);
