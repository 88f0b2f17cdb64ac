// The per-user settings store file: reading it without ever blocking, setting a damaged one
// aside, and committing a change atomically under an advisory lock that is waited on for a
// bounded time. No Qt.
#pragma once

#include "settings/QvRegText_p.h"

#include <functional>

namespace qv::reg {

enum class TLoadStatus { Ok, Missing, Damaged, Unreadable };

// Reads and parses a file without changing anything. A damaged file leaves doc empty and puts
// what is wrong in *error.
TLoadStatus LoadRegFile(const std::string& path, TRegDocument& doc,
                        TRegParseError* error = nullptr);

// Reads the per-user store. A damaged file is set aside under a new name (path + ".damaged-<time>",
// under the lock, so two programs never both do it) and doc starts empty; the one-sentence report
// goes to *damageReport. An unreadable file reads as empty.
void LoadStoreFile(const std::string& path, TRegDocument& doc, std::string* damageReport);

// Commits a change: takes the advisory lock (path + ".lock"), re-reads the file so other
// programs' values written meanwhile are kept (setting a damaged file aside as above), applies
// `change`, writes a temporary file in the same folder, flushes it to disk and renames it over
// the file. On success doc holds what is now in the file and true is returned; on failure the
// file is untouched and *error says why.
bool UpdateStoreFile(const std::string& path, const std::function<void(TRegDocument&)>& change,
                     TRegDocument& doc, std::string* damageReport, std::string* error);

} // namespace qv::reg
