// The file helpers other libraries share with the settings stores: the folder of a path, and a
// new temporary file beside one. No Qt.
#pragma once

#include <string>
#include <sys/types.h>

namespace qv {

// "/a/b/c" gives "/a/b", "/c" gives "/", "c" gives ".".
std::string FolderOf(const std::string& path);

// Creates a new file named `path` + ".tmp-XXXXXX" with `mode` (less the umask) and returns its
// descriptor, or -1 with errno set; its name goes to `name`. mkstemp would do, but it always
// makes the file 0600, and reading the umask to widen that is not safe while other threads make
// files.
int CreateTemporary(const std::string& path, mode_t mode, std::string& name);

} // namespace qv
