#!/bin/sh
# The install rule scripts/install runs, into a temporary prefix and then over itself: the link
# on the PATH starts the program, the desktop entry names the installed program, the icon is in
# the theme's sizes, and KWin's desktop file grants the installed program the fake input.
set -eu
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/.local
for round in first second; do
    cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "$round install failed"; exit 1; }
done
test -L "$prefix/bin/stylorex"
test -x "$prefix/lib/stylorex/stylorex"
"$prefix/bin/stylorex" --version | grep -q '^Stylorex '
entry=$prefix/share/applications/stylorex.desktop
grep -qx "Exec=$prefix/lib/stylorex/stylorex" "$entry"
grep -qx 'Icon=stylorex' "$entry"
for size in 16 32 48 256; do
    test -s "$prefix/share/icons/hicolor/${size}x${size}/apps/stylorex.png"
done
kwin=$prefix/share/applications/stylorex-kwin.desktop
grep -qx "Exec=$(realpath "$prefix/lib/stylorex/stylorex")" "$kwin"
grep -q '^X-KDE-Wayland-Interfaces=.*org_kde_kwin_fake_input' "$kwin"
