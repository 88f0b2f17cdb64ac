// Whether a library file can be handed to the dynamic loader: the loader maps its load segments
// and touches them, so a file cut short (an interrupted copy or upgrade, a full disk) faults the
// process with SIGBUS, and a FIFO in its place blocks the open for ever. Pure C++, no Qt.
#pragma once

#include <string>

namespace qv {

// Empty when `path` is a regular file holding a 64-bit ELF header of this machine's byte order
// whose program headers, load segments and section headers all lie within the file; else why
// not, in words for a message.
std::string PartFileProblem(const std::string& path);

} // namespace qv
