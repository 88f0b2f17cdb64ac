#!/usr/bin/env bash
# Starts a display, a session bus with the accessibility bus on it and the program, then walks
# the program's window over that bus as a screen reader does (screen_reader_walk.py).
# Usage: tests/accessibility/screen_reader_check.sh [path/to/Ampwise]
# Needs xvfb, at-spi2-core, dbus and python3-pyatspi (Debian); not run by ctest, since CI has no
# session bus to speak of. Debian's pyatspi is for Debian's own python3, so that one runs it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../../build/Brannoworks/Ampwise/Ampwise}")
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$scratch"' EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
sleep 1
export DISPLAY=$display HOME=$scratch XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
exec dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  sleep 1
  "$0" >/dev/null 2>&1 &
  /usr/bin/python3 "$1"/screen_reader_walk.py Ampwise
' "$program" "$here"
