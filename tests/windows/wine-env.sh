# Sourced by the Wine test scripts. Every Wine command of a test run uses the
# run's own prefix (and so its own wineserver), prints no debug output, opens
# no window and has a time limit.
: "${VANTREL_WINEPREFIX:?set VANTREL_WINEPREFIX to the Wine prefix of this test run}"
export WINEPREFIX="$VANTREL_WINEPREFIX"
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
wine=${VANTREL_WINE:-wine64}
wineserver=${VANTREL_WINESERVER:-wineserver}
wine_time_limit=60

# A host path as Windows programs see it under Wine, whose drive Z: is "/".
windows_path() {
  printf 'Z:%s' "$1" | tr / '\\'
}
