#pragma once
// Whether a file or folder can be trusted not to be changed behind the user's
// back by someone else: the checks ssh makes of its key files, shared by the
// instance socket's folder, the home folder and external libraries.

#include <string>
#include <sys/types.h>

// Why the owner and mode of one file system entry make it untrusted; empty
// when it is trusted. Trusted: owned by this user or root, and writable by
// nobody else. Group write is allowed only through the user's own private
// group (their primary group, with no other members). A symbolic link is
// judged by its owner alone. `stickyFolderOk` also trusts a world-writable
// folder with the sticky bit (/tmp): others cannot rename what lies in it.
std::string UntrustedReason(const std::string& path, uid_t owner, gid_t group, mode_t mode,
                            bool stickyFolderOk);

// Checks `path` and every folder above it up to "/", following each symbolic
// link hop (the link, its folder chain, and then its target). false with
// `why` ("/tmp is writable by others", "... is owned by uid 1001") when any
// of them is untrusted or cannot be examined. `stickyFoldersOk` as above for
// the folder holding the entry; folders above that may always be sticky.
bool CheckTrustedPath(const std::string& path, bool stickyFoldersOk, std::string& why);

// Whether `path` is a private folder: a real folder (not a link), owned by
// this user, with no access for group or others. false with `why` otherwise.
bool IsPrivateFolder(const std::string& path, std::string& why);
// Creates `path` as a folder with mode 0700 when missing (not its parents),
// then checks it as above. An existing folder is never changed.
bool EnsurePrivateFolder(const std::string& path, std::string& why);

// Creates every missing folder of `path` with mode 0700. false when the last
// one is not a folder afterwards.
bool CreateFoldersPrivately(const std::string& path);
