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
// `change`, writes a temporary file in the same folder, flushes it to disk (see
// WriteMustFlush) and renames it over the file. On success doc holds what is now in the file and
// true is returned; on failure the file is untouched and *error says why.
// Whether replacing `before` with `after` must reach the disk before the call returns: when
// either holds a value. A store of keys alone (a first start opening its keys) loses nothing in
// a crash, since every open creates its key again, and a first start needn't wait for the disk.
bool WriteMustFlush(const TRegDocument& before, const TRegDocument& after);

bool UpdateStoreFile(const std::string& path, const std::function<void(TRegDocument&)>& change,
                     TRegDocument& doc, std::string* damageReport, std::string* error);

} // namespace qv::reg
