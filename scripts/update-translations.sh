#!/usr/bin/env bash
# Brings translations/wingmate_*.ts up to date with the texts in the code.
# With --check it changes nothing and fails when lupdate would change a .ts
# (a text added, changed or gone) or an entry is unfinished or obsolete.
# usage: update-translations.sh [--check] [LUPDATE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=0
if [ "${1:-}" = --check ]; then
    check=1
    shift
fi
lupdate=${1:-$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
# Only the folders whose texts the Qt program and Glimmer show; core texts
# are marked with UI_TEXT.
sources=(src/app src/program src/views src/editor src/wizard src/record src/library src/run src/schedule
         src/triggers tools/wingmate tools/glimmer)
options=(-silent -I src -I tools/glimmer -locations none -no-ui-lines -tr-function-alias QT_TRANSLATE_NOOP+=UI_TEXT
         -extensions cpp,h)
cd "$root"
if [ "$check" = 0 ]; then
    for ts in translations/wingmate_de.ts translations/wingmate_fr.ts; do
        "$lupdate" "${options[@]}" -no-obsolete "${sources[@]}" -ts "$ts"
    done
    exit 0
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for ts in translations/wingmate_de.ts translations/wingmate_fr.ts; do
    cp "$ts" "$scratch/"
    "$lupdate" "${options[@]}" "${sources[@]}" -ts "$scratch/$(basename "$ts")"
    if ! diff -u "$ts" "$scratch/$(basename "$ts")" >"$scratch/diff"; then
        echo "$ts does not match the code; run scripts/update-translations.sh:" >&2
        head -40 "$scratch/diff" >&2
        status=1
    fi
    if grep -n 'type="\(unfinished\|obsolete\|vanished\)"' "$ts" >&2; then
        echo "$ts has unfinished or obsolete entries" >&2
        status=1
    fi
done
exit $status
