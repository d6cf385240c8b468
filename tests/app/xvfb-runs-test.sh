#!/usr/bin/env bash
# Both directions through the real window on a real X server (Xvfb), worked from outside
# as a person would: the mouse clicks the panels' buttons, the school file's path is typed
# into the file dialog, the message boxes are read through the accessibility bus (as a
# screen reader reads them) and accepted with Enter.
#   1. Stand-alone: an intake run rebuilds the working tables in C:\ZTEMP of a scratch Wine
#      prefix, the same tables as the command line's intake; the stand-in for Velmora
#      writes SOLUC; a return run writes the result file beside the school file, the same
#      file as the command line's return.
#   2. Hosted inside a foreign window: a return run closes the window by itself and leaves
#      Transformado=1 in Velmora.ini; an intake run whose dialog is cancelled says "No
#      existe archivo" and leaves Transformado=-1.
#   xvfb-runs-test.sh PROGRAM HOST_WINDOW_PROGRAM TRANSTARVOS VELMORA_STANDIN SCHOOL_FILE
set -euo pipefail

# shellcheck source=xvfb-lib.sh
source "$(dirname "$0")/xvfb-lib.sh"
run_inside_xvfb "$0" "$@"
# A session bus of our own, for the accessibility bus.
if [ -z "${TTO_DBUS_INNER:-}" ]; then
  export TTO_DBUS_INNER=1
  exec dbus-run-session -- "$0" "$@"
fi

transtarvos=$3
standin=$4
school_source=$5
setup_scratch "$1" "$2"

# The exchange folder C:\ZTEMP of a Wine prefix of our own.
export WINEPREFIX="$work/wine"
exchange="$WINEPREFIX/dosdevices/c:/ZTEMP"
mkdir -p "$exchange"
# The school file is copied, so that the result file lands in the scratch folder.
school_name=$(basename "$school_source")
mkdir -p "$work/ordalis"
school="$work/ordalis/$school_name"
cp "$school_source" "$school"
result="$work/ordalis/ResultadoTarvos$school_name"
# The program tells the accessibility bus what it shows, which is how its message boxes
# are read.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
/usr/libexec/at-spi-bus-launcher --launch-immediately > /dev/null 2>&1 &
pids+=($!)
accessibility_bus() {
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress
}
wait_for "$patience" accessibility_bus || fail "the accessibility bus did not start"
message_reader="$(dirname "$0")/xvfb-message-text.py"
# A line break reaches the accessibility bus as a line feed alone.
message_text() { /usr/bin/python3 "$message_reader" "$app_title" "$app_title" | tr -d '\r'; }
message_is() { [ "$(message_text)" = "$1" ]; }

reminder=$'Deberá Abrir el fichero XML de ORDALIS,\ndesde el cual realizó la Importación a Velmora'
tables=(ASIGNOMT PROFT AULAT GRUPOST DIASHORAST COUNTSES ASIGT)

# accept_message TEXT: a message box (the application's title as its caption) shows TEXT;
# Enter accepts it, and it goes away.
accept_message() {
  wait_for "$patience" shown_window "$app_title" || fail "no message box, expected \"$1\""
  no_shown_window "$dialog_title" || fail "the file dialog is up together with a message box"
  wait_for "$patience" message_is "$1" ||
    fail "the message box says \"$(message_text | cat -A)\", expected \"$1\""
  point_into "$(shown_window "$app_title")"
  xdotool key Return
  wait_for "$patience" no_shown_window "$app_title" || fail "the message box stays after Enter"
  echo "   message \"${1%%$'\n'*}\" accepted"
}

# pick_file PATH: in the file dialog, types PATH into the name field, which has the focus,
# and presses Enter.
pick_file() {
  wait_for "$patience" shown_window "$dialog_title" || fail "no file dialog"
  local dialog
  dialog=$(shown_window "$dialog_title")
  point_into "$dialog"
  xdotool type --delay 20 "$1"
  xdotool key Return
  wait_for "$patience" no_shown_window "$dialog_title" || fail "the file dialog stays after Enter"
  echo "   picked $1"
}

# cancel_dialog: Escape in the file dialog.
cancel_dialog() {
  wait_for "$patience" shown_window "$dialog_title" || fail "no file dialog"
  point_into "$(shown_window "$dialog_title")"
  xdotool key Escape
  wait_for "$patience" no_shown_window "$dialog_title" || fail "the file dialog stays after Escape"
  echo "   file dialog cancelled"
}

# panel_of WINDOW PANEL: the id of a shown panel of the main window.
panel_of() {
  local id
  id=$(child_id "$1" "$2") && viewable "$id" && echo "$id"
}
# click_button WINDOW PANEL: clicks the run button of the panel (BExportar in Draw3D2,
# BImportar in Draw3D3: 89x25 at 96,120 of its panel).
click_button() {
  wait_for "$patience" panel_of "$1" "$2" || fail "no $2 shown in the window"
  click_at "$(panel_of "$1" "$2")" $((96 + 44)) $((120 + 12))
}

rows_of() { "$transtarvos" dump --exchange "$1" "$2" | tail -n +2 | wc -l; }
without_date() { sed -E 's/ FechaExportacion="[^"]*"//' "$1"; }
activities_in() { grep -o '<actividad[ />]' "$1" | wc -l; }

echo "1. stand-alone: intake, then return, through the window's buttons"
start_program
wait_for "$patience" shown_window "$caption" || fail "the window did not appear"
window=$(shown_window "$caption")

click_button "$window" Draw3D2
pick_file "$school"
accept_message "Proceso finalizado"
reference="$work/cli-exchange"
mkdir -p "$reference"
"$transtarvos" intake --exchange "$reference" "$school" > /dev/null ||
  fail "the command line's intake failed"
for table in "${tables[@]}"; do
  [ -f "$exchange/$table.DBF" ] || fail "no $table.DBF in the exchange folder: $(ls "$exchange")"
  cmp -s <("$transtarvos" dump --exchange "$exchange" "$table") \
    <("$transtarvos" dump --exchange "$reference" "$table") ||
    fail "$table differs from the command line's intake"
done
[ -f "$exchange/COUNTSES.MDX" ] || fail "no COUNTSES.MDX in the exchange folder"
[ "$(rows_of "$exchange" PROFT)" -gt 0 ] || fail "PROFT is empty"
echo "   the seven tables are there, as the command line's intake makes them" \
  "($(rows_of "$exchange" PROFT) teachers, $(rows_of "$exchange" ASIGT) teaching loads)"

"$standin" --exchange "$exchange" > /dev/null || fail "the stand-in for Velmora failed"
[ -f "$exchange/SOLUC.DBF" ] || fail "the stand-in wrote no SOLUC.DBF"
click_button "$window" Draw3D3
accept_message "$reminder"
pick_file "$school"
accept_message "Proceso finalizado"
[ -f "$result" ] || fail "no result file $result: $(ls "$work/ordalis")"
activities=$(activities_in "$result")
[ "$activities" -gt 0 ] || fail "the result file holds no actividad"
# The command line's return opens the same tables exclusively: the window let them go.
mkdir -p "$work/cli-ordalis"
cp "$school" "$work/cli-ordalis/"
"$transtarvos" return --exchange "$exchange" "$work/cli-ordalis/$school_name" > /dev/null ||
  fail "the command line's return failed"
reference_result="$work/cli-ordalis/ResultadoTarvos$school_name"
cmp -s <(without_date "$result") <(without_date "$reference_result") ||
  fail "the result file differs from the command line's"
echo "   $(basename "$result") holds $activities actividad elements, as the command line's"

click_at "$(panel_of "$window" Draw3D1)" $((256 + 44)) $((32 + 12))
wait_for "$patience" program_ended || fail "Salir did not end the program"
wait "$program_pid" || fail "the program ended with status $?"
[ ! -e "$ini" ] || fail "stand-alone mode wrote Velmora.ini"
echo "   closed with Salir; no Velmora.ini"

echo "2. hosted: importar completes and closes by itself; exportar without a file"
start_host
rm -f "$result"
start_program importar "${host_id#0x}"
wait_for "$patience" child_id "$host_id" "$caption" || fail "the window did not appear inside the host"
window=$(child_id "$host_id" "$caption")
click_button "$window" Draw3D3
accept_message "$reminder"
pick_file "$school"
accept_message "Proceso finalizado"
expect_end 0 1
[ -f "$result" ] || fail "no result file after the hosted return"
cmp -s <(without_date "$result") <(without_date "$reference_result") ||
  fail "the hosted return's result file differs from the command line's"
echo "   window closed by itself; Velmora.ini: Transformado=1"

start_program exportar "${host_id#0x}"
wait_for "$patience" child_id "$host_id" "$caption" || fail "the window did not appear inside the host"
window=$(child_id "$host_id" "$caption")
click_button "$window" Draw3D2
cancel_dialog
accept_message "No existe archivo"
expect_end 0 -1
echo "   window closed by itself; Velmora.ini: Transformado=-1"
echo "All runs through the window passed."
