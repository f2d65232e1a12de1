#!/usr/bin/env bash
# The installed program as a desktop sees it: its folder holds what it runs and nothing of the
# build's own (tests, benchmarks, previews, service-sim); the link in bin/ is relative and
# starts it with its resources intact; the desktop entry and icon are where menus look.
#
#   check_program.sh <prefix>
set -uo pipefail
prefix="$1"
failed=0
fail() {
    echo "$*" >&2
    failed=1
}

expected="libNetwork.so libduilib.so libvarnix.so libwin32.so pdfeditor.so qrcode velmora xml.so"
actual=$(cd "$prefix/lib/velmora" && ls | sort | tr '\n' ' ' | sed 's/ $//')
[[ "$actual" == "$expected" ]] || fail "lib/velmora holds: $actual; expected: $expected"

link=$(readlink "$prefix/bin/velmora") || fail "bin/velmora is not a link"
[[ "${link:-}" == ../lib/velmora/velmora ]] || fail "bin/velmora points to '${link:-}'"

# Through the link: the loader resolves $ORIGIN to the program's real folder, and the version
# comes from the program's own resource section, which an install that strips it would lose.
drive=$(mktemp -d)
trap 'rm -rf "$drive"' EXIT
version=$(WIN32_DRIVE_C="$drive" "$prefix/bin/velmora" --version 2>&1)
[[ "$version" == "BrivanoPDF编辑器 2.5.0.0" ]] || fail "bin/velmora --version said: $version"

entry="$prefix/share/applications/velmora.desktop"
[[ -f "$entry" ]] || fail "no desktop entry"
if [[ -f "$entry" ]] && command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop entry is not valid"
fi
icons=$(cd "$prefix/share/icons/hicolor" 2>/dev/null && ls */apps/velmora.png 2>/dev/null)
[[ -n "$icons" ]] || fail "no icon under share/icons/hicolor"
# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() {
    local b
    read -r -a b < <(od -An -tu1 -j16 -N8 "$1")
    echo "$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))x$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))"
}
for icon in $icons; do
    size=$(png_size "$prefix/share/icons/hicolor/$icon")
    [[ "$icon" == "$size/apps/velmora.png" ]] || fail "icon $icon is $size"
done
exit $failed
