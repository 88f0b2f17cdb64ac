#!/usr/bin/env bash
# Installs the Debian 12 packages Ampwise needs: `setup.sh` what building and running need,
# `setup.sh test` also what the tests, the sanitizer build and the fuzzers add.
# Quiet and quick when everything is already there.
set -euo pipefail

# Qt Charts' CMake package needs Qt OpenGL's, which qt6-charts-dev does not pull in.
run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-charts-dev libqt6opengl6-dev
  qt6-qpa-plugins libgl-dev
  libqscintilla2-qt6-dev zlib1g-dev
  fonts-liberation fonts-dejavu-core xdg-utils
)
test_packages=(
  python3 locales-all
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format
  poppler-utils xvfb xauth x11-utils openbox xdotool wmctrl xclip
  desktop-file-utils appstream dpkg-dev file
)

packages=("${run_packages[@]}")
case "${1:-run}" in
  run) ;;
  test) packages+=("${test_packages[@]}") ;;
  *) echo "usage: setup.sh [run|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
