#!/usr/bin/env bash
# Creates the private Wine prefix once; safe to call from parallel tests.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.vesmarin-ready" ]; then
  rm -rf "$WINEPREFIX"
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1 9>&-
  "$WINESERVER" -w 9>&-
  # The new prefix links Desktop, Documents and the like to the Linux home;
  # tests write there, so make them plain folders inside the prefix.
  for user in "$WINEPREFIX"/drive_c/users/*; do
    [ -d "$user" ] || continue
    for link in "$user"/*; do
      if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
    done
  done
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1 9>&-
  "$WINESERVER" -w 9>&-
  touch "$WINEPREFIX/.vesmarin-ready"
fi
# Every program here runs on a display without a window manager (xvfb-run);
# there Wine's X11 driver waits 2 s for one whenever a managed window is
# hidden or destroyed. Unmanaged windows close at once.
if [ ! -f "$WINEPREFIX/.vesmarin-unmanaged" ]; then
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1 9>&-
  "$WINESERVER" -w 9>&-
  touch "$WINEPREFIX/.vesmarin-unmanaged"
fi
# The Japanese dialog fonts the resources name are not on this machine:
# draw and measure them with the IPA Gothic fonts, so Japanese text shows
# glyphs instead of boxes and the text-fit test measures real widths.
if [ ! -f "$WINEPREFIX/.vesmarin-fonts" ]; then
  for pair in "MS UI Gothic=IPAPGothic" "Yu Gothic UI=IPAPGothic" "MS PGothic=IPAPGothic" \
              "MS Gothic=IPAGothic" "Meiryo UI=IPAPGothic" "Meiryo=IPAPGothic"; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /t REG_SZ \
      /d "${pair#*=}" /f </dev/null >/dev/null 2>&1 9>&-
  done
  "$WINESERVER" -w 9>&-
  touch "$WINEPREFIX/.vesmarin-fonts"
fi
# English windows ask for Tahoma, MS Sans Serif and MS Shell Dlg (which the
# prefix substitutes with Tahoma for Western code pages) and draw caption
# buttons with Marlett. Debian's fonts-wine brings a Marlett, but this Wine
# only reads fonts from the prefix's Fonts folder: put it there (again
# whenever it is missing, so prefixes made before this step get it too).
# The Latin faces are drawn with DejaVu Sans rather than whatever the prefix
# falls back to (IPA Gothic draws the backslash as a yen sign); a
# replacement applies only while the face itself is missing, and Japanese
# keeps IPA Gothic through the replacements above. (fonts-wine's own Tahoma
# is not installed: with it the sheet measures the wizard's pages narrower
# than the pages lay out their controls.)
fonts=$WINEPREFIX/drive_c/windows/Fonts
for font in marlett.ttf; do
  if [ -f "/usr/share/wine/fonts/$font" ] && [ ! -f "$fonts/$font" ]; then
    mkdir -p "$fonts"
    cp "/usr/share/wine/fonts/$font" "$fonts/$font"
  fi
done
if [ ! -f "$WINEPREFIX/.vesmarin-latin-fonts" ]; then
  for pair in "Tahoma=DejaVu Sans" "MS Sans Serif=DejaVu Sans" "Microsoft Sans Serif=DejaVu Sans"; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /t REG_SZ \
      /d "${pair#*=}" /f </dev/null >/dev/null 2>&1 9>&-
  done
  "$WINESERVER" -w 9>&-
  touch "$WINEPREFIX/.vesmarin-latin-fonts"
fi
