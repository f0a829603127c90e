#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks a built .deb: its control fields and files, the desktop entry and
# AppStream data, and that the program it holds starts and shows the setup
# window on an X server.
# Usage: tests/package/tst_package.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
. "$(dirname "$0")/../../scripts/xvfb.sh"
scratch=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

id=io.github.ekzamo.Ekzamo
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = ekzamo ] || fail "package name is $(field Package)"
[ "$(field Section)" = education ] || fail "section is $(field Section)"
depends=$(field Depends)
echo "Depends: $depends"
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libjpeg62-turbo libfontconfig1 libc6 libstdc++6 \
           qt6-qpa-plugins qt6-translations-l10n fonts-liberation2 libxlsxwriter4 xdg-utils; do
    [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "no dependency on $dep"
done

[[ ", $(field Recommends)," == *", qt6-wayland,"* ]] || fail "does not recommend qt6-wayland"

dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root
doc=$root/usr/share/doc/ekzamo
expected=(usr/bin/Ekzamo usr/bin/ekzamo-check usr/bin/ekzamo-convert usr/bin/ekzamo-journal
          usr/share/applications/io.github.ekzamo.Journal.desktop
          "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml"
          "usr/share/icons/hicolor/scalable/apps/$id.svg"
          usr/share/doc/ekzamo/README.md usr/share/doc/ekzamo/examples/help.htxt
          usr/share/doc/ekzamo/docs/formats.md usr/share/doc/ekzamo/docs/performance.md
          usr/share/doc/ekzamo/docs/development.md)
for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
# The test editor: its program, its own menu entry and icon name.
editor_id=$id.Editor
expected+=(usr/bin/ekzamo-editor "usr/share/applications/$editor_id.desktop"
           "usr/share/icons/hicolor/scalable/apps/$editor_id.svg")
for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$editor_id.png")
done
samples=$(cd "$(dirname "$0")/../../examples" && pwd)
while IFS= read -r -d '' sample; do
    expected+=("usr/share/doc/ekzamo/examples/${sample#"$samples"/}")
done < <(find "$samples" -type f -print0)
for f in "${expected[@]}"; do
    [ -f "$root/$f" ] || fail "missing /$f"
done
for size in 16 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    file "$png" | grep -q "$size x $size" || fail "$png is not $size x $size"
done
for program in Ekzamo ekzamo-check ekzamo-convert ekzamo-journal ekzamo-editor; do
    file "$root/usr/bin/$program" | grep -q "ELF .* executable, .*, stripped$" || fail "$program is no stripped executable"
done
cmp -s "$(dirname "$0")/../../examples/help.htxt" "$doc/examples/help.htxt" || fail "help.htxt differs"

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
journal_entry=$root/usr/share/applications/io.github.ekzamo.Journal.desktop
desktop-file-validate "$journal_entry" || fail "the journal's desktop entry"
grep -qx "Name=Ekzamo — журнал результатов" "$journal_entry" || fail "the journal's desktop entry has another name"
grep -qx "Exec=ekzamo-journal" "$journal_entry" || fail "the journal's desktop entry starts something else"
desktop-file-validate "$root/usr/share/applications/$editor_id.desktop" || fail "the editor's desktop entry"
grep -qx "Name=Ekzamo — редактор тестов" "$root/usr/share/applications/$editor_id.desktop" \
    || fail "the editor's desktop entry is not named «Ekzamo — редактор тестов»"
"$root/usr/bin/ekzamo-editor" --help | grep -q "^Использование: ekzamo-editor" || fail "ekzamo-editor --help"
grep -qx "Path=/usr/share/doc/ekzamo/examples" "$root/usr/share/applications/$id.desktop" \
    || fail "the desktop entry does not start in the samples' folder"
appstreamcli validate --no-net --explain "$root/usr/share/metainfo/$id.metainfo.xml" || fail "AppStream data"

"$root/usr/bin/ekzamo-check" "$doc/examples/geography.txt" >/dev/null || fail "ekzamo-check on a clean sample"
"$root/usr/bin/ekzamo-convert" "$doc/examples/geography.txt" "$scratch/geography.gift" \
    && "$root/usr/bin/ekzamo-convert" "$scratch/geography.gift" "$scratch/geography.txt" \
    && cmp -s "$doc/examples/geography.txt" "$scratch/geography.txt" || fail "ekzamo-convert there and back on a sample"
# The journal of the installed sample class, with no display.
(cd "$scratch" && env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/ekzamo-journal" --xlsx journal.xlsx "$doc/examples/9А" >/dev/null) \
    || fail "ekzamo-journal on the sample class"
[ -s "$scratch/journal.html" ] && [ -s "$scratch/journal.xlsx" ] || fail "ekzamo-journal wrote no report"

# The installed program, started as the desktop entry starts it.
ekzamo_xvfb 1280x1024
pids+=("$EKZAMO_XVFB_PID")
export XDG_RUNTIME_DIR=$scratch
unset QT_QPA_PLATFORM
(cd "$doc/examples" && exec "$root/usr/bin/Ekzamo") >"$scratch/log" 2>&1 &
program=$!
pids+=("$program")
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Ekzamo$' 2>/dev/null | head -n 1) || true
if [ -z "$window" ]; then
    fail "the setup window was not shown within 20 s"
    cat "$scratch/log"
else
    geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
    width=${geometry%x*}
    [ "$width" = 869 ] || fail "the setup window is $geometry"
    kill -0 "$program" 2>/dev/null || fail "the program ended by itself"
    echo "The installed program showed its setup window ($geometry)."
fi

# The installed editor, opening a sample as the menu entry opens a file.
"$root/usr/bin/ekzamo-editor" "$doc/examples/geography.txt" >"$scratch/editor-log" 2>&1 &
editor=$!
pids+=("$editor")
if timeout 20 xdotool search --sync --onlyvisible --name '^geography.txt — Ekzamo — редактор тестов$' >/dev/null 2>&1; then
    echo "The installed editor showed geography.txt."
else
    fail "the editor did not show geography.txt within 20 s"
    cat "$scratch/editor-log"
fi

[ "$failures" -eq 0 ] && echo "Package test passed: $(basename "$deb")"
exit $((failures > 0))
