#!/usr/bin/env bash
# Hosted mode on a real X server: starts Xvfb, makes a foreign host window in another
# process, starts the program with a mode word and the host's id in hex, and checks with
# xwininfo where the window and its panels are. Then closes it the way a person does
# (a click on Salir) and reads the result flag from Velmora.ini beside the executable.
#   xvfb-embed-test.sh PROGRAM HOST_WINDOW_PROGRAM
set -euo pipefail

# shellcheck source=xvfb-lib.sh
source "$(dirname "$0")/xvfb-lib.sh"
run_inside_xvfb "$0" "$@"

setup_scratch "$1" "$2"

# expect_panels WINDOW FILLING HIDDEN: FILLING fills the window, HIDDEN is not shown, and
# the bottom strip keeps its place.
expect_panels() {
  local window=$1 filling=$2 hidden=$3
  local panel
  panel=$(child_id "$window" "$filling")
  [ -n "$panel" ] || fail "no $filling in $window"
  [ "$(child_line "$window" "$filling" | geometry_of)" = "632x266+0+0" ] ||
    fail "$filling does not fill the window: $(child_line "$window" "$filling")"
  viewable "$panel" || fail "$filling is not shown"
  local other
  other=$(child_id "$window" "$hidden")
  if [ -n "$other" ] && viewable "$other"; then fail "$hidden is shown"; fi
  strip=$(child_id "$window" "Draw3D1")
  [ "$(child_line "$window" "Draw3D1" | geometry_of)" = "633x97+0+168" ] ||
    fail "the bottom strip moved: $(child_line "$window" "Draw3D1")"
  viewable "$strip" || fail "the bottom strip is not shown"
}

click_salir() {
  local x y
  x=$(($(absolute "$strip" X) + 256 + 44))
  y=$(($(absolute "$strip" Y) + 32 + 12))
  xdotool mousemove "$x" "$y" click 1
}

echo "1. exportar with the host's id: a child of the host at (0,0), the intake panel filling it"
start_host
start_program exportar "${host_id#0x}"
wait_for 20 child_id "$host_id" "$caption" || fail "the window did not appear inside the host"
line=$(child_line "$host_id" "$caption")
echo "   $line"
[ "$(geometry_of <<< "$line")" = "632x266+0+0" ] || fail "not at (0,0) with 632x266: $line"
window=$(awk '{print $1}' <<< "$line")
wait_for 10 viewable "$window" || fail "the embedded window is not shown"
expect_panels "$window" Draw3D2 Draw3D3
click_salir
expect_end 0 0
echo "   closed with Salir; Velmora.ini: Transformado=0"

echo "2. importar, and the host goes away: the program ends and writes the flag"
start_program importar "${host_id#0x}"
wait_for 20 child_id "$host_id" "$caption" || fail "the window did not appear inside the host"
window=$(child_id "$host_id" "$caption")
wait_for 10 viewable "$window" || fail "the embedded window is not shown"
expect_panels "$window" Draw3D3 Draw3D2
kill "$host_pid"
expect_end 0 0
echo "   host gone, program ended; Velmora.ini: Transformado=0"

echo "3. dialogs of an embedded window belong to the host"
start_host
start_program exportar "${host_id#0x}"
wait_for 20 child_id "$host_id" "$caption" || fail "the window did not appear inside the host"
window=$(child_id "$host_id" "$caption")
wait_for 10 viewable "$window" || fail "the embedded window is not shown"
panel=$(child_id "$window" Draw3D2)
xdotool mousemove $(($(absolute "$panel" X) + 96 + 44)) $(($(absolute "$panel" Y) + 120 + 12)) click 1
wait_for 20 child_id root "Archivo XML" || fail "no file dialog"
wait_for 10 transient_for_host "Archivo XML" ||
  fail "the file dialog is not transient for the host: $(xprop -id "$(child_id root "Archivo XML")" WM_TRANSIENT_FOR)"
dialog=$(transient_for_host "Archivo XML")
xdotool mousemove $(($(absolute "$dialog" X) + 20)) $(($(absolute "$dialog" Y) + 20)) key Escape
wait_for 20 child_id root "TransTarvosOrdalis" || fail "no message box after the cancelled dialog"
wait_for 10 transient_for_host "TransTarvosOrdalis" ||
  fail "the message box is not transient for the host: $(xprop -id "$(child_id root "TransTarvosOrdalis")" WM_TRANSIENT_FOR)"
box=$(transient_for_host "TransTarvosOrdalis")
xdotool mousemove $(($(absolute "$box" X) + 10)) $(($(absolute "$box" Y) + 10)) key Return
expect_end 0 -1
echo "   file dialog and message box transient for the host; no file: Transformado=-1"

for handle in 0 7FFFFFF0; do
  echo "4. exportar with handle $handle (no window): top-level at the top left, hosted mode holds"
  start_program exportar "$handle"
  wait_for 20 child_id root "$caption" || fail "no window"
  line=$(child_line root "$caption")
  window=$(awk '{print $1}' <<< "$line")
  wait_for 10 viewable "$window" || fail "the window is not shown"
  line=$(child_line root "$caption")
  [ "$(geometry_of <<< "$line")" = "632x266+0+0" ] || fail "not at the top left: $line"
  expect_panels "$window" Draw3D2 Draw3D3
  click_salir
  expect_end 0 0
  echo "   closed with Salir; Velmora.ini: Transformado=0"
done
echo "All display checks passed."
