// Replacing a file so that a reader, or a crash, sees the old file or the new one, never a part.
#pragma once

#include <string>
#include <sys/types.h>

namespace qv {

// Writes `text` to a temporary file beside `path` (named `path` + ".tmp-XXXXXX"), flushes it,
// renames it over `path` and flushes the folder, so that the rename survives a crash too.
// An existing file keeps its mode (and, for the superuser, its owner); a new one gets `newMode`.
// On failure the temporary file is removed, `path` is untouched and `error` (when given) says why.
bool ReplaceFileAtomically(const std::string& path, const std::string& text, mode_t newMode,
                           std::string* error = nullptr);

// The file-creation mode a new file gets from open(..., 0666) under the process's umask.
mode_t DefaultFileMode();

} // namespace qv
