# Sourced by the Wine test scripts. Every Wine command of a test run uses the
# run's own prefix (and so its own wineserver), prints no debug output, has a
# time limit and opens windows only on the test run's own X display, if any.
: "${VANTREL_WINEPREFIX:?set VANTREL_WINEPREFIX to the Wine prefix of this test run}"
export WINEPREFIX="$VANTREL_WINEPREFIX"
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
# The display that `wine-prefix start` gave the test run, while it is up.
# Every Wine process of one wineserver must see the same one: the first that
# needs the desktop decides for all whether a new console gets a window, and
# without one a new console is no console at all.
display_file="$WINEPREFIX.display"
# The display file holds ":NUMBER PID": the process ID of its Xvfb, if that
# still runs (a process of another name has taken over a stale ID).
display_process() {
  [ -s "$display_file" ] && read -r _ pid <"$display_file" &&
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] && echo "$pid"
}
if display_process >/dev/null; then
  read -r DISPLAY _ <"$display_file"
  export DISPLAY
fi
# Wine 10 also looks for a Wayland display, and where XDG_RUNTIME_DIR is
# not set libwayland prints "error: XDG_RUNTIME_DIR is invalid or not set in
# the environment." A runtime folder of the test run's own (mode 0700, as
# the XDG base directory rules ask) holds no Wayland socket: Wine finds no
# Wayland display there, quietly, and never the desktop's.
export XDG_RUNTIME_DIR="$WINEPREFIX.runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
wine=${VANTREL_WINE:-wine64}
wineserver=${VANTREL_WINESERVER:-wineserver}
wine_time_limit=60

# A host path as Windows programs see it under Wine, whose drive Z: is "/".
windows_path() {
  printf 'Z:%s' "$1" | tr / '\\'
}

# The words given, each quoted for the shell, as one command line (for
# `script -c`, which runs its command through a shell).
shell_words() {
  for word in "$@"; do
    printf "'%s' " "$(printf '%s' "$word" | sed "s/'/'\\\\''/g")"
  done
}
