#include "library/RecoveryFile.h"

#include "library/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string_view>
#include <sys/stat.h>

namespace {
bool ModifiedAt(const std::string& path, struct timespec& when) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    when = info.st_mtim;
    return true;
}
} // namespace

CRecoveryFile::CRecoveryFile(CMacroLibrary& libraryRef, const IClock& clockRef)
    : library(libraryRef), clock(clockRef) {}

std::string CRecoveryFile::Path() const {
    return library.File().libraryPath + kSuffix;
}

// The library's bytes and its extras: an edit of either is unsaved.
std::string CRecoveryFile::Content() const {
    return library.File().Encode(library.Root()) + CMacroFile::EncodeExtras(library.Root());
}

size_t CRecoveryFile::Fingerprint() const {
    return std::hash<std::string_view>{}(Content());
}

void CRecoveryFile::MarkSaved(bool deleteFile) {
    seenRevision = library.Revision();
    savedFingerprint = Fingerprint();
    pending = false;
    if (deleteFile)
        Remove();
}

bool CRecoveryFile::Tick(std::string* error) {
    const int64_t now = clock.Now();
    if (library.Revision() != seenRevision) {
        seenRevision = library.Revision();
        if (!pending)
            pendingSince = now;
        pending = true;
    }
    // Written a second after the first unsaved edit, so a stream of edits
    // still reaches the file every second or two.
    if (!pending || now - pendingSince < 1 || !library.Root())
        return true;
    pending = false;
    if (Fingerprint() == savedFingerprint) {
        Remove();
        return true;
    }
    return library.File().WriteTo(library.Root(), Path(), error) == 1;
}

bool CRecoveryFile::LeftByUncleanEnd() const {
    struct timespec recovery {
    }, saved{};
    if (!ModifiedAt(Path(), recovery))
        return false;
    if (!ModifiedAt(library.File().libraryPath, saved))
        return true;
    // Equal times count as newer: file times are coarse, and a clean save
    // deletes the recovery file anyway.
    return recovery.tv_sec > saved.tv_sec ||
           (recovery.tv_sec == saved.tv_sec && recovery.tv_nsec >= saved.tv_nsec);
}

std::string CRecoveryFile::KeepAside(std::string* error) const {
    const std::string stem =
        library.File().libraryPath + kSuffix + "-" + LocalTimeStamp(clock.Now());
    for (int n = 1; n <= 1000; ++n) {
        const std::string name = n == 1 ? stem : stem + "-" + std::to_string(n);
        struct stat taken {};
        if (::lstat(name.c_str(), &taken) == 0)
            continue;
        if (std::rename(Path().c_str(), name.c_str()) == 0) {
            // Its extras, when it has any, keep their place beside it.
            const std::string extras = CMacroFile::ExtrasPath(Path());
            struct stat there {};
            if (::lstat(extras.c_str(), &there) == 0 &&
                std::rename(extras.c_str(), CMacroFile::ExtrasPath(name).c_str()) != 0 && error)
                *error = "Could not rename " + extras + ": " + std::strerror(errno);
            return name;
        }
        if (error)
            *error = "Could not rename " + Path() + " to " + name + ": " + std::strerror(errno);
        return "";
    }
    if (error)
        *error = "No free name to keep " + Path() + " aside";
    return "";
}

void CRecoveryFile::Remove() const {
    std::remove(Path().c_str());
    std::remove(CMacroFile::ExtrasPath(Path()).c_str());
}
