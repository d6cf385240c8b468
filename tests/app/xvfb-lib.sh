# shellcheck shell=bash
# Variables set here are read by the scripts that source this file.
# shellcheck disable=SC2034
# Helpers shared by the display tests, which drive the program on a real X server (Xvfb)
# from outside, as a person would: windows are found by name with xwininfo and xprop, the
# mouse and keyboard are worked with xdotool. Sourced, not run.
#
# A script starts with
#   source "$(dirname "$0")/xvfb-lib.sh"
#   run_inside_xvfb "$0" "$@"
#   setup_scratch PROGRAM HOST_WINDOW_PROGRAM
# There is no window manager on the server: top-level windows are direct children of the
# root window, and the keyboard goes to the window under the pointer, so every key is sent
# with the pointer over its window.

# run_inside_xvfb SCRIPT ARGS...: runs the script again inside a fresh Xvfb, unless it already
# runs there. The search for a free display starts at a random number: several display
# tests may start at the same moment, and two that pick the same number would share (or
# lose) a server. Between two programs of a test no client may be connected for a moment;
# the server must not reset then (-noreset), or it refuses the next program while it does.
run_inside_xvfb() {
  if [ -z "${TTO_XVFB_INNER:-}" ]; then
    export TTO_XVFB_INNER=1
    exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$@"
  fi
}

# The names of the program's windows.
caption="Exportar e importar datos entre Velmora y Ordalis"
app_title="TransTarvosOrdalis"
dialog_title="Archivo XML"
# Seconds to wait for a window or the end of the program: under the sanitizers every step
# of the program is several times slower.
patience=40
pids=()
host_id=""
host_pid=""
program_pid=""

# setup_scratch PROGRAM HOST_WINDOW_PROGRAM: the scratch folder $work, removed with every
# started process on exit. The program writes Velmora.ini beside its executable, so a copy
# of it runs from $work.
setup_scratch() {
  program=$1
  host_program=$2
  work=$(mktemp -d)
  trap cleanup EXIT
  cp "$program" "$work/TransTarvosOrdalis"
  ini="$work/Velmora.ini"
}

cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}

# fail MESSAGE: reports the failure with what the screen held, and ends the script.
fail() {
  echo "FAIL: $*" >&2
  echo "--- windows on the screen:" >&2
  xwininfo -root -tree >&2 2>&1 || true
  if command -v xwd > /dev/null; then
    local shot
    shot="$PWD/$(basename "$0" .sh)-failure.xwd"
    xwd -root -silent -out "$shot" 2>/dev/null && echo "--- screenshot: $shot" >&2
  fi
  exit 1
}

# wait_for SECONDS COMMAND...: retries the command until it succeeds.
wait_for() {
  local tries=$(($1 * 10)) i
  shift
  for ((i = 0; i < tries; i++)); do
    if "$@" > /dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

# child_line PARENT NAME: the xwininfo line of PARENT's direct child called NAME
# (PARENT "root" is the screen's root window).
child_line() {
  local which=(-id "$1")
  [ "$1" = root ] && which=(-root)
  xwininfo "${which[@]}" -children | grep -E "^ +0x[0-9a-f]+ \"$2\"" | head -n 1
}
child_id() { child_line "$1" "$2" | awk '{print $1}'; }
geometry_of() { grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -n 1; }
viewable() { xwininfo -id "$1" | grep -q 'Map State: IsViewable'; }
absolute() { xwininfo -id "$1" | awk -v k="Absolute upper-left $2:" 'index($0, k) {print $NF}'; }

# shown_window NAME: prints the id of a shown top-level window called NAME. Popups (a
# completer's list, a menu) bypass the window manager and are left out: they may carry the
# application's name too.
shown_window() {
  local id info
  for id in $(xwininfo -root -children | grep -E "^ +0x[0-9a-f]+ \"$1\"" | awk '{print $1}'); do
    info=$(xwininfo -id "$id") || continue
    if grep -q 'Map State: IsViewable' <<< "$info" &&
      grep -q 'Override Redirect State: no' <<< "$info"; then
      echo "$id"
      return 0
    fi
  done
  return 1
}
# no_shown_window NAME: succeeds while no top-level window called NAME is shown.
no_shown_window() { ! shown_window "$1"; }

# transient_for_host NAME: prints the id of a top-level window called NAME that is transient
# for the host. A new window gets its name before its WM_TRANSIENT_FOR, so callers retry.
transient_for_host() {
  local id
  for id in $(xwininfo -root -children | grep -E "^ +0x[0-9a-f]+ \"$1\"" | awk '{print $1}'); do
    if xprop -id "$id" WM_TRANSIENT_FOR | grep -qi "window id # $host_id\$"; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# click_at WINDOW X Y: a left click at (X,Y) inside WINDOW.
click_at() {
  xdotool mousemove $(($(absolute "$1" X) + $2)) $(($(absolute "$1" Y) + $3)) click 1
}
# point_into WINDOW: moves the pointer into WINDOW, so that it gets the keyboard.
point_into() {
  xdotool mousemove $(($(absolute "$1" X) + 10)) $(($(absolute "$1" Y) + 10))
}

start_host() {
  coproc HOST { exec "$host_program"; }
  pids+=("$HOST_PID")
  read -r host_id <&"${HOST[0]}" || fail "the host window did not start"
  host_id="0x$host_id"
  host_pid=$HOST_PID
}

# start_program ARGS...: starts the copy of the program, without a settings file.
start_program() {
  rm -f "$ini"
  "$work/TransTarvosOrdalis" "$@" &
  program_pid=$!
  pids+=("$program_pid")
}

program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }

# expect_end STATUS FLAG: the program ends by itself with STATUS and wrote FLAG.
expect_end() {
  wait_for "$patience" program_ended || fail "the program did not end"
  local status=0
  wait "$program_pid" || status=$?
  [ "$status" = "$1" ] || fail "exit status $status, expected $1"
  [ -f "$ini" ] || fail "no Velmora.ini written"
  grep -q $'^Transformado='"$2"$'\r$' "$ini" || fail "Velmora.ini holds: $(cat -A "$ini")"
}
