#!/usr/bin/env bash
# The Windows program under Wine, as an operator would meet it: the installer
# (scripts/build-windows-program.sh) runs silently in a fresh WINEPREFIX on a
# virtual display with openbox, and waga.exe, started as its Start menu entry
# starts it, reads a scale: COM2 is Wine's dosdevices/com2 linked to the
# pseudo-terminal of the Linux simulator waga-sim. One line per check; the
# exit status is non-zero when any fails.
#
#   WIN_PROGRAM_BUILD_DIR  the Windows program's build (default build-windows-program)
#   BUILD_DIR              the Linux build with waga-sim (default build)
#   WAGA_WINE_SCREENSHOT   where the main window's picture goes
#                          (default docs/screenshots/main-window-wine.png)
#
# Needs the static Qt of scripts/build-qt-windows.sh; installs the rest with
# scripts/setup.sh and starts CUPS with a cups-pdf queue when none runs.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [[ -z ${WAGA_ON_VIRTUAL_DISPLAY:-} ]]; then
  bash scripts/setup.sh test windows windows-test || exit 1
  if command -v ccache >/dev/null; then
    export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  fi
  installer=$(bash scripts/build-windows-program.sh | tail -n 1) || exit 1
  bash scripts/build.sh waga-sim >/dev/null || exit 1
  WAGA_ON_VIRTUAL_DISPLAY=1 WAGA_INSTALLER=$installer \
    exec bash scripts/with-window-manager.sh bash "$0" "$@"
fi

build=$(cd "${WIN_PROGRAM_BUILD_DIR:-build-windows-program}" && pwd)
sim_program=$root/${BUILD_DIR:-build}/tools/waga-sim/waga-sim
screenshot=${WAGA_WINE_SCREENSHOT:-$root/docs/screenshots/main-window-wine.png}
work=$build/wine-test
rm -rf "$work"
mkdir -p "$work"

failures=0
check() {  # check <what> <command...>: one line, ok or FAIL with the command's words
  local what=$1 output
  shift
  if output=$("$@" 2>&1); then
    echo "ok    $what${output:+ ($(tr '\n' ' ' <<<"$output" | sed 's/ $//'))}"
  else
    echo "FAIL  $what${output:+: $output}"
    failures=$((failures + 1))
  fi
}
# wait_until <seconds> <command...>: polls the condition, at most that long.
wait_until() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < end)) || return 1
    sleep 0.2
  done
}
finish() {
  echo "$failures check(s) failed"
  ((failures == 0))
  exit
}

# --- the printer: CUPS with a cups-pdf queue ------------------------------
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  mkdir -p /run/cups
  cupsd
  wait_until 30 bash -c 'lpstat -r | grep -q "is running"'
fi
if ! lpstat -v PDF >/dev/null 2>&1; then
  lpadmin -p PDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
fi
lpadmin -d PDF
pdf_dir=$HOME/PDF
mkdir -p "$pdf_dir"
touch "$work/started"

# --- a fresh Wine ---------------------------------------------------------
gcc -O2 -Wall -Wextra -shared -fPIC -o "$work/pty_modem_shim.so" \
  tests/serial/win32/pty_modem_shim.c -ldl || exit 1
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all
# No Mono or Gecko installers, no desktop menu entries made from shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
cleanup() {
  [[ -n ${sim_pid:-} ]] && kill "$sim_pid" 2>/dev/null
  "$wineserver" --kill 2>/dev/null
}
trap cleanup EXIT
"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" --wait
# The fonts the windows are designed with, as Linux has them.
for font in "MS Sans Serif" "Arial" "Tahoma"; do
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "Liberation Sans" /f >/dev/null 2>&1
done
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Courier New" /d "Liberation Mono" /f >/dev/null 2>&1

user=${USER:-$(id -un)}
user_dir=$WINEPREFIX/drive_c/users/$user
waga_dir=$user_dir/Waga
program_dir="$WINEPREFIX/drive_c/Program Files/Waga"
shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Waga.lnk"
windows_user_dir="C:\\users\\$user"

# --- the installer --------------------------------------------------------
check "installer $(basename "$WAGA_INSTALLER") ran silently (/S)" "$wine" "$WAGA_INSTALLER" /S
check "waga.exe and the uninstaller are in Program Files\\Waga" \
  test -f "$program_dir/waga.exe" -a -f "$program_dir/uninstall.exe"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Waga'
check "the program is among the installed programs" \
  bash -c "'$wine' reg query '$uninstall_key' /v UninstallString | grep -q 'uninstall.exe'"
shortcut_is() {  # shortcut_is <target> <arguments> <folder>
  local fields
  fields=$(python3 scripts/windows_program_checks.py shortcut "$shortcut") || return 1
  [[ $fields == "target=$1"$'\n'"arguments=$2"$'\n'"folder=$3" ]] || { echo "$fields"; return 1; }
}
check "Start menu entry Waga starts C:\\Program Files\\Waga\\waga.exe --menu in $windows_user_dir\\Waga" \
  shortcut_is 'C:\Program Files\Waga\waga.exe' --menu "$windows_user_dir\\Waga"
check "the working folder was made" test -d "$waga_dir"

# --- the scale on COM2 ----------------------------------------------------
# Quiet at first, so that nothing is sent before the program has the port.
coproc SIM { exec "$sim_program" --baud 1200 --interval 700 --repeat 1 --log "$work/sent.bin" \
  --script "silence:15000,text:  88.88,balance:2,reading:100000"; }
sim_pid=$SIM_PID
read -r -t 10 slave <&"${SIM[0]}"
[[ $slave == /dev/* ]] || { echo "FAIL  waga-sim gave no pseudo-terminal"; failures=$((failures + 1)); finish; }
ln -sfn "$slave" "$WINEPREFIX/dosdevices/com2"
rm -f "$WINEPREFIX/dosdevices/com7"

# Started as the shell starts the Start menu entry: in the entry's "Start
# in" folder with its arguments, from elsewhere.
start_waga() {  # start_waga <log> [folder]: waga.exe in the background, its pid in waga_pid
  (cd "${2:-$waga_dir}" && LD_PRELOAD=$work/pty_modem_shim.so exec "$wine" "C:\\Program Files\\Waga\\waga.exe" --menu) \
    >"$work/$1" 2>&1 &
  waga_pid=$!
}
main_title='^Program do komunikacji z wagą\.$'
# Neither the scripted input nor a picture may hang the script: xdotool's
# --sync waits for ever for a window that does not come, and import without
# a window waits for a click on one.
xdo() { timeout 10 xdotool "$@"; }
picture() { [[ -n $1 ]] && timeout 10 import -window "$1" "${@:2}" 2>/dev/null; }
window_of() { xdo search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
has_window() { [[ -n $(window_of "$1") ]]; }
start_waga first.log
first_pid=$waga_pid
check "main window shown" wait_until 90 has_window "$main_title"
main=$(window_of "$main_title")
data_file=$waga_dir/$(date +%Y%m%d)
data_file_complete() { python3 scripts/windows_program_checks.py data-file "$work/sent.bin" "$data_file" &&
  [[ $(grep -c ' kg' "$data_file") -ge 2 ]]; }
wait_until 90 data_file_complete
check "data file of the day $(basename "$data_file") holds the simulator's lines byte for byte" \
  python3 scripts/windows_program_checks.py data-file "$work/sent.bin" "$data_file"

# The display and the unit under it share their background colour; where
# it is, is where the window's client area starts (216,8 from its corner).
display_box() {  # display_box <window>: geometry WxH+X+Y of the display and the unit
  picture "$1" "$work/window.png" &&
    convert "$work/window.png" -fill black +opaque 'rgb(225,220,215)' -fill white \
      -opaque 'rgb(225,220,215)' -trim -format '%wx%h%O' info: 2>/dev/null
}
client_origin() {  # sets origin_x, origin_y of window $main from its display box
  local box
  box=$(display_box "$main") || return 1
  [[ $box =~ ^345x[0-9]+\+([0-9]+)\+([0-9]+)$ ]] || return 1
  origin_x=$((BASH_REMATCH[1] - 216)) origin_y=$((BASH_REMATCH[2] - 8))
}
display_picture() {  # display_picture <file>: the label Ldisplay
  picture "$main" -crop "345x97+$((origin_x + 216))+$((origin_y + 8))" +repage "$1"
}
# Pixels of the display not in its background: a reading in 96 pixel digits
# has thousands, the blank mark "- - - - -" a few hundred.
ink() { display_picture "$work/display.png" && convert "$work/display.png" -fill black \
  +opaque 'rgb(225,220,215)' -fill white -opaque 'rgb(225,220,215)' -format '%[fx:int(w*h*(1-mean))]' info:; }
reading_shown() { local n; n=$(ink) && ((n > 2500)); }
blank_shown() { local n; n=$(ink) && ((n > 100 && n < 2500)); }
wait_until 10 client_origin
check "display in its place, 345 pixels wide" test -n "${origin_x:-}"
check "display shows the readings" wait_until 20 reading_shown
cp "$work/display.png" "$work/display-reading.png" 2>/dev/null
picture "$main" -frame "$screenshot"
check "screenshot of the main window: ${screenshot#"$root"/}" test -s "$screenshot"

# --- a second start -------------------------------------------------------
snapshot() { (cd "$waga_dir" && find . -type f -printf '%p %s %T@\n' | sort && cat ./* 2>/dev/null | md5sum); }
snapshot >"$work/before-second"
start_waga second.log
second_pid=$waga_pid
check "second start shows \"Program jest już w uruchomiony!\" (Błąd)" wait_until 60 has_window '^Błąd$'
box=$(window_of '^Błąd$')
picture "$box" -frame "$work/second-start.png"
[[ -n $box ]] && xdo windowactivate --sync "$box" key --clearmodifiers Return 2>/dev/null
check "second start ends after OK" wait_until 30 bash -c "! kill -0 $second_pid"
snapshot >"$work/after-second"
check "second start wrote nothing" cmp -s "$work/before-second" "$work/after-second"
check "first instance still runs" kill -0 "$first_pid"

# --- printing the balance -------------------------------------------------
# The page "Bilans" through the menu (Alt+U, B), then its "Drukuj bilans".
# A click that came before the page was shown is tried again.
for _attempt in 1 2 3; do
  xdo windowactivate --sync "$main" key --clearmodifiers alt+u b 2>/dev/null
  xdo mousemove --window "$main" "$((origin_x + 722))" "$((origin_y + 88))" click 1 2>/dev/null
  wait_until 20 has_window '^Informacja$' && break
done
check "\"Informację o bilansie skierowano na drukarkę.\" (Informacja)" has_window '^Informacja$'
info=$(window_of '^Informacja$')
[[ -n $info ]] && xdo windowactivate --sync "$info" key --clearmodifiers Return 2>/dev/null
new_pdf() { find "$pdf_dir" /var/spool/cups-pdf -name '*.pdf' -newer "$work/started" -size +0 2>/dev/null | head -n 1; }
has_pdf() { [[ -n $(new_pdf) ]]; }
check "the job reached the cups-pdf queue" wait_until 90 has_pdf
pdf=$(new_pdf)
total=$(grep -a ' kg' "$work/sent.bin" | tail -n 1 | awk '{print $4}')
printed=$([[ -n $pdf ]] && pdftotext -layout "$pdf" - 2>/dev/null)
pdf_holds_balance() { grep -qE "Liczba ważeń: +2 *\$" <<<"$printed" && grep -qE "Łączna masa: +$total *\$" <<<"$printed"; }
check "the PDF holds the balance: Liczba ważeń: 2, Łączna masa: $total" pdf_holds_balance

# --- the display, then closing --------------------------------------------
kill "$sim_pid" 2>/dev/null
check "display shows the blank mark once the scale is silent" wait_until 20 blank_shown
xdo windowactivate --sync "$main" key --clearmodifiers alt+F4 2>/dev/null
check "program ends on Alt+F4" wait_until 30 bash -c "! kill -0 $first_pid"
check "konfig.ini written at close with CR LF" \
  python3 scripts/windows_program_checks.py crlf "$waga_dir/konfig.ini" 12

# --- a COM name with no device --------------------------------------------
sed -i 's/^Numer_portu=.*\r$/Numer_portu=7\r/' "$waga_dir/konfig.ini"
start_waga missing-port.log
# (A new process may be given the X window id of the one that ended.)
check "started on COM7, which names no device" wait_until 90 has_window "$main_title"
main=$(window_of "$main_title")
# Status panel 1 (from 105 pixels on, at the bottom) and its tooltip, read
# off the screen. Qt shows tooltips in the active window only, and hides
# them after a while: until it shows, the pointer comes to the panel afresh
# every 3 seconds (a move restarts Qt's wait before a tooltip), each time at
# another spot, for Wine sends no mouse move for a pointer that ends where
# it last was.
eval "$(xdo getwindowgeometry --shell "$main")"
pointed=0 next_pointing=0
point_at_status_panel() {
  ((SECONDS >= next_pointing)) || return 0
  pointed=$((pointed + 1)) next_pointing=$((SECONDS + 3))
  xdo windowactivate --sync "$main" 2>/dev/null
  xdo mousemove --window "$main" "$((200 + pointed % 8 * 10))" "$((HEIGHT - 10))" 2>/dev/null
}
tooltip_window() {  # the small window that opened at the pointer: Qt's tooltip
  local pointer id
  pointer=$(xdo getmouselocation --shell | head -n 2 | tr '\n' ' ')
  for id in $(xdo search --onlyvisible --name '.*' 2>/dev/null); do
    [[ $id == "$main" ]] && continue
    (eval "$pointer"; px=$X py=$Y; eval "$(xdo getwindowgeometry --shell "$id")"
     ((WIDTH > 100 && HEIGHT < 200 && X > px - 40 && X < px + 40 && Y > py - HEIGHT - 40 && Y < py + 40))) &&
      { echo "$id"; return 0; }
  done
  return 1
}
read_status() {
  picture "$main" "$work/window.png" &&
    convert "$work/window.png" -gravity SouthWest -crop 420x24+0+0 +repage -resize 400% \
      -colorspace Gray "$work/status.png" 2>/dev/null &&
    tesseract "$work/status.png" - -l pol --psm 7 2>/dev/null | tr '\n' ' ' >"$work/status.txt" &&
    grep -qiE 'brak po' "$work/status.txt"
}
read_tooltip() {
  local tip
  tip=$(tooltip_window) || { point_at_status_panel; return 1; }
  picture root "$work/missing-port.png" &&
    picture "$tip" "$work/tooltip-window.png" &&
    convert "$work/tooltip-window.png" -resize 300% -colorspace Gray "$work/tooltip.png" 2>/dev/null &&
    tesseract "$work/tooltip.png" - -l pol --psm 6 2>/dev/null | tr '\n' ' ' >"$work/tooltip.txt" &&
    grep -qiE 'nie istnieje' "$work/tooltip.txt"
}
touch "$work/status.txt" "$work/tooltip.txt"
wait_until 20 read_status
check "status panel 1 says \"$(cat "$work/status.txt")\"" grep -qiE 'brak połączenia.*COM' "$work/status.txt"
point_at_status_panel
wait_until 30 read_tooltip
check "its tooltip says why in Polish: \"$(cat "$work/tooltip.txt")\"" \
  grep -qiE 'Port COM. nie istnieje' "$work/tooltip.txt"
xdo windowactivate --sync "$main" key --clearmodifiers alt+F4 2>/dev/null
wait_until 30 bash -c "! kill -0 $waga_pid"

# --- a working folder that cannot be made --------------------------------
mv "$waga_dir" "$waga_dir.kept"
echo "not a folder" >"$waga_dir"
start_waga no-folder.log "$user_dir"
check "a file where the Waga folder should be: an error box" wait_until 60 has_window '^Błąd$'
box=$(window_of '^Błąd$')
picture "$box" -frame "$work/no-folder.png"
[[ -n $box ]] && xdo windowactivate --sync "$box" key --clearmodifiers Return 2>/dev/null
check "the program then ends without a window of its own" wait_until 30 bash -c "! kill -0 $waga_pid"
rm -f "$waga_dir"
mv "$waga_dir.kept" "$waga_dir"
echo "      pictures to look at: $work/second-start.png $work/missing-port.png $work/no-folder.png"

# --- uninstalling ---------------------------------------------------------
# The uninstaller runs on from a copy of itself: wait for its work.
"$wine" "C:\\Program Files\\Waga\\uninstall.exe" /S >/dev/null 2>&1
check "uninstaller removed the program and its entries" wait_until 60 bash -c \
  "! test -e '$program_dir' && ! test -e '$shortcut' && ! '$wine' reg query '$uninstall_key' >/dev/null 2>&1"
check "uninstalling kept konfig.ini and the data file" test -f "$waga_dir/konfig.ini" -a -f "$data_file"
finish
