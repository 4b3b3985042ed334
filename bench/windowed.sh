# Sourced first by the benchmarks whose programs open windows (with $here set
# to the benchmark's folder): a Wine prefix of their own, kept between runs,
# and a display. Without a window manager, Wine's X11 driver waits 2 s for
# one whenever a managed window is hidden (the checking window, when it
# closes); real desktops have one, so here the benchmark's windows are made
# unmanaged (bench_unmanaged) so that this wait does not enter the figures.
: "${VESMARIN_BUILD:=$(cd "$here/../.." && pwd)/build}"
export WINEPREFIX=${BENCH_WINEPREFIX:-$VESMARIN_BUILD/bench-prefix}
. "$here/../../scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
bench_unmanaged() {
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "${1:-N}" /f \
    </dev/null >/dev/null 2>&1 9>&-
}
