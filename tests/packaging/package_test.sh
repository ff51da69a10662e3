#!/usr/bin/env bash
# The Debian package as a user gets it: scripts/package builds it from this build, lintian finds
# no error in it, its desktop entries and AppStream metadata pass their validators, and the
# program it installs answers --version and plans a drawing with the settings it keeps per user.
# As root the package is installed with dpkg -i (and purged after); otherwise, or where a
# stylorex package is installed already, it is unpacked into a temporary root.
set -euo pipefail
source=$1
build=$2
tmp=$(mktemp -d)
installed=no
cleanup() {
    if [ "$installed" = yes ]; then
        dpkg --purge stylorex >/dev/null
    fi
    chmod -R u+w "$tmp"
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

deb=$(STYLOREX_BUILD_DIR=$build "$source/scripts/package" "$tmp")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$(basename "$deb")" = "stylorex_${version}_amd64.deb" ] || fail "package named $deb"

# Lintian complains of running as root; its findings are all that is kept.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>/dev/null >"$tmp/lintian" ||
    fail "lintian: $(cat "$tmp/lintian")"

if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W stylorex >/dev/null 2>&1; then
    dpkg -i "$deb" >/dev/null
    installed=yes
    root=
else
    dpkg-deb -x "$deb" "$tmp/root"
    root=$tmp/root
    # As /usr/bin is for a user: not writable.
    chmod a-w "$root/usr/bin"
fi
program=$root/usr/bin/stylorex
share=$root/usr/share

# The package's own files, as paths under the root it went to.
dpkg-deb -c "$deb" | awk '{print $6}' | sed -n "s|^\./|$root/|p" >"$tmp/files"
entries=$(grep '/applications/.*\.desktop$' "$tmp/files")
[ "$(echo "$entries" | wc -l)" -ge 2 ] || fail "desktop entries: $entries"
for entry in $entries; do
    desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
done
grep -qx 'Exec=/usr/bin/stylorex' "$share/applications/stylorex-kwin.desktop" ||
    fail "KWin's desktop file does not name /usr/bin/stylorex"
metainfo=$(grep '/metainfo/.*\.metainfo\.xml$' "$tmp/files") || fail "no AppStream metainfo"
appstreamcli validate --no-net --explain $metainfo ||
    fail "appstreamcli validate"
# Both manual pages lay out on an 80-column terminal without a line groff cannot break.
for page in man/man1/stylorex.1.gz man/ja/man1/stylorex.1.gz; do
    [ -s "$share/$page" ] || fail "no $page"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$share/$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
done
"$program" --version | grep -qx "Stylorex $version" || fail "--version: $("$program" --version)"

# The settings the packaged program reads are the per-user ones: the wait saved there is the
# plan's, unless the command line gives another.
home=$tmp/home
mkdir -p "$home/.config/stylorex"
printf '[Other]\r\nWaitTime=3\r\n' >"$home/.config/stylorex/stylorex.ini"
printf 'P1\n8 2\n1 1 1 1 1 1 1 1\n0 0 0 0 0 0 0 0\n' >"$tmp/line.pbm"
plan() {
    env -u XDG_CONFIG_HOME -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" \
        "$program" draw "$tmp/line.pbm" --at 10,10 --plan --json "$@" 2>&1
}
saved=$(plan) || fail "draw --plan: $saved"
echo "$saved" | grep -q '"pixels":8,"strokes":1' || fail "the plan of an 8-pixel line: $saved"
echo "$saved" | grep -q '"wait_ms":3' || fail "the saved wait is not the plan's: $saved"
given=$(plan --wait 0)
echo "$given" | grep -q '"wait_ms":0' || fail "--wait 0 is not the plan's: $given"
[ ! -e "$root/usr/bin/stylorex.ini" ] || fail "settings written beside /usr/bin/stylorex"

# Bash completion offers exactly the options --help lists for draw, and the values it names.
completions() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _stylorex
             printf "%s\n" "${COMPREPLY[@]}"' _ "$share/bash-completion/completions/stylorex" "$@" |
        sort
}
help=$("$program" --help)
echo "$help" | sed -n 's/^  \(-[a-z], \)\{0,1\}\(--[a-z-]*\).*/\1\2/p' | tr ',' '\n' |
    sed 's/^ *//' | grep . | sort >"$tmp/help-options"
completions stylorex draw - >"$tmp/completed-options"
diff -u "$tmp/help-options" "$tmp/completed-options" || fail "completion's options differ from --help's"
for option in mode dither check; do
    listed=$(echo "$help" | sed -n "s/^  --$option \([a-z|]*\)\( .*\)\{0,1\}$/\1/p" | tr '|' '\n' | sort)
    [ -n "$listed" ] || fail "--help shows no values of --$option"
    [ "$(completions stylorex draw --$option '')" = "$listed" ] || fail "--$option's values"
done
[ "$(completions stylorex dr)" = draw ] || fail "the command draw is not completed"
