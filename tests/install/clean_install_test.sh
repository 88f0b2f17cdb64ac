#!/usr/bin/env bash
# Builds the .deb, unpacks it into a fresh root folder, checks its files one by one, then runs the
# installed program as a normal user with a fresh HOME on a real X server: types a power, asks for
# a calculation and its report, opens the Cable Sizes, Cable Schedule and INI editor windows,
# presses Reset and closes the window through the window manager.
# Afterwards the per-user settings store and settings INI file must hold what was written, and
# the installed command-line sizer must size a schedule with the installed data and that file.
set -euo pipefail
build=$(cd "$1" && pwd)

for tool in cpack dpkg-deb Xvfb openbox xdotool wmctrl xclip; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed"; exit 77; }
done

work=$(mktemp -d /tmp/ampwise-install.XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# 1. The package.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >/dev/null) || fail "cpack"
deb=$(ls "$work"/pkg/ampwise_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no ampwise_*_amd64.deb built"
[ "$(basename "$deb")" = "ampwise_1.0.1.0_amd64.deb" ] || fail "package named $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6printsupport6 libqt6charts6 libqscintilla2-qt6 xdg-utils; do
  grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

# 2. Unpacked into a clean root, file by file.
root="$work/root"
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"
for f in opt/Brannoworks/Ampwise/Ampwise \
         opt/Brannoworks/Ampwise/libampwise_common.so \
         opt/Brannoworks/Ampwise/libampwise_ondemand.so \
         opt/Brannoworks/Ampwise/ampwise-schedule \
         usr/share/man/man1/ampwise-schedule.1.gz \
         opt/Brannoworks/Ampwise/Ampwise.ini \
         opt/Brannoworks/Ampwise/Help/Index.htm \
         "opt/Brannoworks/Common Files/ElecData.ini" \
         usr/share/applications/com.brannoworks.Ampwise.desktop \
         usr/share/metainfo/com.brannoworks.Ampwise.metainfo.xml \
         usr/share/doc/ampwise/copyright \
         usr/share/icons/hicolor/scalable/apps/ampwise.svg \
         usr/share/icons/hicolor/48x48/apps/ampwise.png \
         usr/share/icons/hicolor/256x256/apps/ampwise.png; do
  [ -e "$root/$f" ] || fail "missing $f"
done
[ -x "$root/opt/Brannoworks/Ampwise/Ampwise" ] || fail "program not executable"
# The program finds its common library beside it wherever it is unpacked, and lends the part
# nothing of its own: the part binds to the common library only.
for f in Ampwise libampwise_ondemand.so; do
  readelf -d "$root/opt/Brannoworks/Ampwise/$f" | grep -q 'R.*PATH.*\[\$ORIGIN\]' || fail "$f: no \$ORIGIN search path"
done
exported=$(nm -D --defined-only "$root/opt/Brannoworks/Ampwise/Ampwise" | c++filt | grep 'qv::' || true)
[ -z "$exported" ] || fail "the program exports its own names: $exported"
shipped_ini="$root/opt/Brannoworks/Ampwise/Ampwise.ini"
grep -qx 'MaxVoltDrop=5.5' "$shipped_ini" || fail "shipped settings file: $(cat "$shipped_ini")"
shipped_sum=$(sha256sum <"$shipped_ini")
[ "$(readlink "$root/usr/bin/ampwise")" = "../../opt/Brannoworks/Ampwise/Ampwise" ] || fail "launcher link"
[ "$(readlink "$root/usr/bin/ampwise-schedule")" = "../../opt/Brannoworks/Ampwise/ampwise-schedule" ] \
  || fail "ampwise-schedule link"
if command -v man >/dev/null; then
  man_warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$root/usr/share/man/man1/ampwise-schedule.1.gz" 2>&1 >/dev/null) \
    || fail "man page does not format"
  [ -z "$man_warnings" ] || fail "man page warnings: $man_warnings"
fi
desktop-file-validate "$root/usr/share/applications/com.brannoworks.Ampwise.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.brannoworks.Ampwise.metainfo.xml" >/dev/null \
  || fail "metainfo"
# The licence the libraries it links allow, and the release the package is.
metainfo="$root/usr/share/metainfo/com.brannoworks.Ampwise.metainfo.xml"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" || fail "metainfo licence"
grep -q "<release version=\"$(dpkg-deb -f "$deb" Version)\"" "$metainfo" || fail "metainfo release"
grep -q '^License: GPL-3.0-or-later' "$root/usr/share/doc/ampwise/copyright" || fail "copyright"
# The unpacked tree stands where the package puts it: nobody but root may write there.
chmod -R go-w "$root"
chmod -R a+rX "$root"

# 3. A normal user with a fresh HOME.
run_as=()
user_home="$work/home"
mkdir -p "$user_home"
if [ "$(id -u)" -eq 0 ]; then
  id ampwise-ci >/dev/null 2>&1 || useradd --no-create-home --shell /usr/sbin/nologin ampwise-ci
  chown ampwise-ci "$user_home"
  run_as=(runuser -u ampwise-ci --)
else
  chmod -R a-w "$root/opt"   # so that the install folder is read-only for us too
fi

# 4. A real X server with a small window manager.
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

"${run_as[@]}" env -i HOME="$user_home" DISPLAY="$display" PATH=/usr/bin:/bin LANG=C.UTF-8 \
  "$root/usr/bin/ampwise" >"$work/ampwise.log" 2>&1 &
app=$!
pids+=($app)

win=$(timeout 30 xdotool search --sync --name '^Ampwise [0-9.]+$' | head -n 1) || fail "no main window: $(cat "$work/ampwise.log")"
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5
key() { xdotool key --clearmodifiers --delay 60 "$@"; sleep 0.3; }

# Focus starts on the material list; the power field is three tab stops further.
key Tab Tab Tab
xdotool type --delay 60 "7"
key Tab
# Context menu: Calculate, then Report; copy the report from its window.
key Menu; key c
key Menu; key r
sleep 0.5
key alt+o
sleep 0.5
report=$(xclip -o -selection clipboard 2>/dev/null || true)
grep -q $'^Power\t7.000\tkW' <<<"$report" || fail "report lacks the typed power: $report"
grep -q $'^Material\tCopper' <<<"$report" || fail "report lacks the material from ElecData.ini: $report"
grep -q $'^Line Current\t' <<<"$report" || fail "report lacks the result: $report"

# A window opened by its letter in the main window's context menu: its id.
open_from_menu() {
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  sleep 0.3
  key Menu; key "$1"
  timeout 10 xdotool search --sync --name "$2" | head -n 1
}
# Closed through the window manager, and gone.
close_window() {
  wmctrl -i -c "$1"
  for _ in $(seq 50); do xdotool search --name "$2" >/dev/null 2>&1 || return 0; sleep 0.1; done
  fail "$3 did not close"
}

# The Cable Sizes and Cable Schedule windows, which live in the plugin the program loads on first
# use: each works on the program's own standard sizes, materials and calculation.
sizes=$(open_from_menu z '^Cable Sizes$') || fail "no Cable Sizes window: $(cat "$work/ampwise.log")"
key alt+c
table=$(xclip -o -selection clipboard 2>/dev/null || true)
[ "$(grep -c $'^[0-9][0-9.]*\t' <<<"$table")" -ge 10 ] || fail "Cable Sizes table: $table"
close_window "$sizes" '^Cable Sizes$' "Cable Sizes"
schedule=$(open_from_menu e '^Cable Schedule') \
  || fail "no Cable Schedule window: $(cat "$work/ampwise.log")"
key ctrl+m; key ctrl+a; key ctrl+c
row=$(xclip -o -selection clipboard 2>/dev/null || true)
grep -q $'^[^\t]*\tCopper\tResistive\t.*\tSolved$' <<<"$row" || fail "Cable Schedule row: $row"
key ctrl+z
close_window "$schedule" '^Cable Schedule' "Cable Schedule"

# The settings file in the INI editor, whose text area comes from the same library.
editor=$(open_from_menu o 'Ampwise\.ini$') || fail "no INI editor: $(cat "$work/ampwise.log")"
close_window "$editor" 'Ampwise\.ini$' "INI editor"

# Back to the main window: Reset, then close it through the window manager.
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.3
key Menu; key s
sleep 0.5
wmctrl -i -c "$win"
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "program did not exit after close"
wait "$app" || fail "program exited with $? : $(cat "$work/ampwise.log")"

# 5. What the program left for this user.
store="$user_home/.config/Brannoworks/user.reg"
ini="$user_home/.config/Brannoworks/Ampwise.ini"
[ -f "$store" ] || fail "no per-user store $store"
[ -f "$ini" ] || fail "no per-user settings INI $ini"
grep -qi '^\[HKEY_CURRENT_USER\\Software\\Brannoworks\\Ampwise\\Settings\]' "$store" || fail "store lacks Settings: $(cat "$store")"
grep -qi '^"Power"=hex:00,00,00,00,00,00,16,40' "$store" || fail "store lacks Power 5.5: $(cat "$store")"
grep -qi '^"Material"=dword:00000000' "$store" || fail "store lacks Material: $(cat "$store")"
grep -q '^MaxVoltDrop=5.5' "$ini" || fail "settings INI lacks MaxVoltDrop: $(cat "$ini")"
[ "$(sha256sum <"$shipped_ini")" = "$shipped_sum" ] || fail "wrote into the install folder"
[ "$(LC_ALL=C ls "$root/opt/Brannoworks/Ampwise")" = "$(printf 'Ampwise\nAmpwise.ini\nHelp\nampwise-schedule\nlibampwise_common.so\nlibampwise_ondemand.so')" ] \
  || fail "install folder changed: $(ls "$root/opt/Brannoworks/Ampwise")"

# 6. The command-line sizer through its launcher, with the installed data and the allowed drop of
# this user's settings file: 5.5 kW over 400 m needs 35 mm² within 5.5 V and 16 mm² within 11 V.
sized() {
  printf 'Circuit,Material,Load Type,Phase,Power,Length\nC1,copper,Resistive,Single,5.5 kW,400 m\n' |
    "${run_as[@]}" env -i HOME="$user_home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
      "$root/usr/bin/ampwise-schedule" "$@"
}
version=$("${run_as[@]}" "$root/usr/bin/ampwise-schedule" --version) || fail "ampwise-schedule --version"
[ "$version" = "ampwise-schedule (Ampwise) 1.0.1.0" ] || fail "ampwise-schedule version: $version"
out=$(sized) || fail "ampwise-schedule: $out"
grep -q '^C1,copper,Resistive,Single,5.5 kW,400 m,23.91304347826087,35,.*,voltage drop,Solved$' <<<"$out" \
  || fail "ampwise-schedule output: $out"
sed -i 's/^MaxVoltDrop=.*/MaxVoltDrop=11/' "$ini"
out=$(sized --format jsonl) || fail "ampwise-schedule: $out"
grep -q '"Size (mm²)":16,' <<<"$out" || fail "ampwise-schedule ignored the settings file: $out"
echo "clean install: package $(basename "$deb") $(stat -c %s "$deb") bytes; Depends: $depends"
