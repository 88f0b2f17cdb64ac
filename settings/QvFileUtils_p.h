// Small file helpers that the INI store and the settings store share: the folder of a path,
// making folders, reading a whole file without ever blocking on it, following a link to the file
// a write lands in, and replacing a file so that a reader, or a crash, sees the old file or the
// new one, never a part. No Qt.
#pragma once

#include "settings/QvFiles.h"

#include <cstddef>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace qv {

// Makes a folder and any missing parents, each new one with `mode`; true when it exists as a
// folder afterwards.
bool MakeFolders(const std::string& folder, mode_t mode = 0700);

enum class TReadResult { Ok, Missing, Failed, NotRegular, TooLarge };

// Reads a regular file whole. Opens without blocking, so a FIFO or a device at the path can never
// hang the caller: anything but a regular file answers NotRegular. More than maxSize bytes
// answers TooLarge. `out` is empty unless Ok.
TReadResult ReadWholeFile(const std::string& path, std::string& out,
                          std::size_t maxSize = static_cast<std::size_t>(-1));

// Writes `text` to a temporary file beside `path` (named `path` + ".tmp-" and six characters),
// flushes it, renames it over `path` and flushes the folder, so that the rename survives a crash
// too. An existing file keeps its mode (and, for the superuser, its owner); a new one is created
// with `newMode` less the process's umask, as open() would make it. The umask itself is never
// touched, so other threads creating files meanwhile are not disturbed. On failure the
// temporary file is removed, `path` is untouched and `error` (when given) says why.
// With `flush` false the two flushes are left out: readers still see the old file or the new
// one, but a crash may leave the old file, an empty one or none. Flushing costs milliseconds,
// so that is for writes whose loss costs nothing.
bool ReplaceFileAtomically(const std::string& path, const std::string& text, mode_t newMode,
                           std::string* error = nullptr, bool flush = true);

} // namespace qv
