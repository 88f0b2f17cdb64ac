// The INI editor's own tool-bar pictures, for the commands that have no standard image.
#pragma once

#include <QIcon>

namespace qv {

enum class TIniPadIcon { Cut, Copy, Paste };

QIcon IniPadIcon(TIniPadIcon kind);

} // namespace qv
