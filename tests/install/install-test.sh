#!/usr/bin/env bash
# Installs this build twice, with `--prefix` and with DESTDIR staging, and checks what
# lands there: exactly the expected files; programs that run from the installed place;
# a desktop entry that validates and whose Exec, Icon and StartupWMClass name the
# installed program, the installed icon and the class of the window that really opens;
# a well-formed square SVG icon and PNG renderings of the stated sizes.
#   install-test.sh BUILD_DIR SOURCE_DIR VERSION GUI(ON|OFF) PNG_SIZES(48,256 or empty)
set -euo pipefail

app_id=transtarvosordalis
caption="Exportar e importar datos entre Velmora y Ordalis"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# wait_for SECONDS COMMAND...: retries the command until it succeeds.
wait_for() {
  local tries=$(($1 * 10))
  shift
  for ((i = 0; i < tries; i++)); do
    if "$@" > /dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

# Inner part, run on an X server of its own: starts the installed window stand-alone and
# checks the X class that the desktop matches against StartupWMClass, and the icon.
#   install-test.sh --window PROGRAM EXPECTED_CLASS PNG_SIZES
if [ "${1:-}" = --window ]; then
  program=$2 expected_class=$3 png_sizes=$4
  "$program" &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  window_id() { xwininfo -root -children | grep -F "\"$caption\"" | awk '{print $1}' | head -n 1; }
  wait_for 30 bash -c "xwininfo -root -children | grep -qF '\"$caption\"'" ||
    fail "the installed window did not open"
  window=$(window_id)
  wait_for 10 bash -c "xprop -id $window WM_CLASS | grep -q '='" || fail "the window has no WM_CLASS"
  class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
  [ "$class" = "$expected_class" ] ||
    fail "the window's X class is '$class', the desktop entry says StartupWMClass=$expected_class"
  echo "   window class $class"
  icon=$(xprop -len 100000000 -id "$window" _NET_WM_ICON | grep -oE 'Icon \([0-9]+ x [0-9]+\)' || true)
  for size in ${png_sizes//,/ }; do
    grep -qF "Icon ($size x $size)" <<< "$icon" || fail "the window has no ${size} px icon: $icon"
  done
  [ -z "$png_sizes" ] || echo "   window icon: $(tr '\n' ' ' <<< "$icon")"
  exit 0
fi

build=$1 source=$2 version=$3 gui=$4 png_sizes=$5
cmake=${TTO_CMAKE:-cmake}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# expected_files: the paths, relative to the prefix, that an install must produce.
expected_files() {
  echo bin/transtarvos
  if [ "$gui" = ON ]; then
    echo bin/TransTarvosOrdalis
    echo "share/applications/$app_id.desktop"
    echo "share/icons/hicolor/scalable/apps/$app_id.svg"
    for size in ${png_sizes//,/ }; do
      echo "share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    done
  fi
  if [ -f "$source/examples/centro.xml" ]; then
    echo "share/doc/$app_id/examples/centro.xml"
  fi
}

# check_tree ROOT: ROOT holds exactly the expected files, programs executable.
check_tree() {
  local root=$1
  [ -d "$root" ] || fail "nothing installed into $root"
  diff <(expected_files | sort) <(cd "$root" && find . -type f | sed 's|^\./||' | sort) ||
    fail "installed files in $root differ from the expected ones (< expected, > installed)"
  for program in "$root"/bin/*; do
    [ -x "$program" ] || fail "$program is not executable"
  done
}

# entry_key FILE KEY: the value of KEY in the [Desktop Entry] group.
entry_key() {
  awk -v key="$2" '/^\[/ { group = $0 } group == "[Desktop Entry]" && index($0, key "=") == 1 {
    print substr($0, length(key) + 2) }' "$1"
}

# png_size FILE: WIDTHxHEIGHT from the PNG header, after checking the signature.
png_size() {
  [ "$(od -An -tx1 -N8 "$1" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$1 is not a PNG file"
  od -An -tu1 -j16 -N8 "$1" |
    awk '{ printf "%dx%d", (($1 * 256 + $2) * 256 + $3) * 256 + $4, (($5 * 256 + $6) * 256 + $7) * 256 + $8 }'
}

echo "1. cmake --install --prefix"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" > "$work/install.log" ||
  { cat "$work/install.log"; fail "cmake --install --prefix failed"; }
check_tree "$prefix"
echo "   $(expected_files | wc -l) files, as expected"

echo "2. DESTDIR staging under the configured prefix"
configured=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
[ -n "$configured" ] || fail "no CMAKE_INSTALL_PREFIX in $build/CMakeCache.txt"
DESTDIR=$work/stage "$cmake" --install "$build" > "$work/stage.log" ||
  { cat "$work/stage.log"; fail "cmake --install with DESTDIR failed"; }
check_tree "$work/stage$configured"
[ "$(cd "$work/stage" && find . -type f | grep -vc "^\.$configured/")" = 0 ] ||
  fail "files installed outside DESTDIR$configured"
echo "   all under DESTDIR$configured"

echo "3. the installed command line runs"
output=$("$prefix/bin/transtarvos" --version) || fail "installed transtarvos --version failed"
[ "$output" = "transtarvos $version" ] || fail "installed transtarvos --version printed '$output'"
echo "   $output"

if [ -f "$source/examples/centro.xml" ]; then
  echo "4. the example school file is installed unchanged"
  cmp "$source/examples/centro.xml" "$prefix/share/doc/$app_id/examples/centro.xml" ||
    fail "the installed example school file differs from the source"
fi

if [ "$gui" != ON ]; then
  echo "Built without the window: no desktop entry or icon to check."
  exit 0
fi

echo "5. the desktop entry validates and names what was installed"
entry=$prefix/share/applications/$app_id.desktop
validation=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $validation"
if grep -E ': (error|warning):' <<< "$validation"; then fail "desktop-file-validate complains"; fi
exec_program=$(entry_key "$entry" Exec | awk '{print $1}')
[ -x "$prefix/bin/$exec_program" ] || fail "Exec=$exec_program is no installed program"
icon=$(entry_key "$entry" Icon)
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon is no installed icon"
wm_class=$(entry_key "$entry" StartupWMClass)
[ -n "$wm_class" ] || fail "the desktop entry has no StartupWMClass"
echo "   Exec=$exec_program Icon=$icon StartupWMClass=$wm_class"

echo "6. the icons"
svg=$prefix/share/icons/hicolor/scalable/apps/$app_id.svg
xmllint --noout "$svg" || fail "the SVG icon is not well-formed XML"
root=$(xmllint --xpath 'concat(namespace-uri(/*), " ", local-name(/*))' "$svg")
[ "$root" = "http://www.w3.org/2000/svg svg" ] || fail "the SVG icon's root is $root, no SVG element"
read -r _ _ vw vh <<< "$(xmllint --xpath 'string(/*/@viewBox)' "$svg")"
if [ -z "$vw" ] || [ "$vw" != "$vh" ]; then fail "the SVG icon has no square viewBox"; fi
for size in ${png_sizes//,/ }; do
  got=$(png_size "$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size} px icon is $got"
done
echo "   SVG ${vw}x${vh}${png_sizes:+, PNG $png_sizes px}"

echo "7. the installed window opens with the class the entry names"
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  "$0" --window "$prefix/bin/$exec_program" "$wm_class" "$png_sizes"
echo "All install checks passed."
