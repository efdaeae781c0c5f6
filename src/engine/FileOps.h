#pragma once
// The file work behind the file builtins. Every operation fails by throwing
// ScriptError with a message that names the path and the cause, and honours
// Stop (StopSignal) where it may take long.

#include "engine/Builtins.h"

#include <string>
#include <string_view>

namespace tessera {

// Copies the regular file `from` to `to` (into it when `to` is a folder and
// `intoFolder`). The copy is written beside the target and renamed over it,
// so a failure leaves an existing target as it was; the target keeps its
// mode, and a symbolic link is written through. Copying a file onto itself
// (also through a link) is refused before anything is written.
void CopyFileSafely(const std::string& from, const std::string& to, const BuiltinContext& ctx,
                    bool intoFolder = true);

// Copies everything inside the folder `from` into `to`, creating folders and
// overwriting files. A target inside the source (or the source itself) is
// refused before anything is copied; a link that leads back into a folder
// being copied or written ends the copy with an error.
void CopyFolder(const std::string& from, const std::string& to, const BuiltinContext& ctx);

// The whole content of `path`, at most ctx.maxString bytes (a larger or
// endless file fails with the string limit's error). Files that report no
// size (/proc) are read to their end; a FIFO waits for its writer but a Stop
// still ends the wait.
std::string ReadWholeFile(const std::string& path, const BuiltinContext& ctx);

// Replaces the content of `path` with `text` through a temporary file and a
// rename; devices and FIFOs are written in place.
void ReplaceFileContent(const std::string& path, std::string_view text);

// Appends `text` to `path`, creating it.
void AppendToFile(const std::string& path, std::string_view text);

} // namespace tessera
