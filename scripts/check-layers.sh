#!/usr/bin/env bash
# Fails when a file in src/ includes a header of a room it may not use. The
# rooms form layers: a room includes only rooms listed for it below (and
# itself), so no two rooms include each other. README's Layout section says
# what each room owns.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A may=(
    [ports]=""
    [engine]="ports"
    [library]="ports engine"
    [schedule]="ports engine library"
    [triggers]="ports engine library schedule"
    [run]="ports engine library schedule"
    [record]="ports engine library triggers views"
    [x11]="ports engine library triggers record"
    [wayland]="ports engine library triggers"
    [views]="ports engine library schedule triggers run"
    [editor]="ports engine library views"
    [wizard]="ports engine library triggers record views"
    [program]="ports engine library schedule triggers run record views"
    [app]="ports engine library schedule triggers run record views editor wizard program"
)

status=0
for dir in src/*/; do
    room=$(basename "$dir")
    if [[ -z ${may[$room]+set} ]]; then
        echo "src/$room: a room the layer rules do not know; add it to $0 and README's Layout"
        status=1
        continue
    fi
    while IFS=: read -r file line text; do
        used=${text#*\"}
        used=${used%%/*}
        [[ $used == "$room" || " ${may[$room]} " == *" $used "* ]] && continue
        echo "$file:$line: $room may not include ${text#*#include } ($room uses: ${may[$room]:-nothing})"
        status=1
    done < <(grep -rnE '^#include "[a-z0-9_]+/' "$dir" --include='*.h' --include='*.cpp' || true)
done
# Qt and X11 stay in their rooms' Qt halves and src/x11.
while IFS=: read -r file line text; do
    echo "$file:$line: only src/x11 includes X11 headers"
    status=1
done < <(grep -rnE '^#include <X11/' src --include='*.h' --include='*.cpp' | grep -v '^src/x11/' || true)
# Wayland and xkbcommon stay in src/wayland (the X11 room names keysyms
# through xkbcommon too).
while IFS=: read -r file line text; do
    echo "$file:$line: only src/wayland includes Wayland headers"
    status=1
done < <(grep -rnE '^#include <(wayland-|xkbcommon/)|^#include ".*-client-protocol.h"' src \
    --include='*.h' --include='*.cpp' | grep -v '^src/wayland/' | grep -v '^src/x11/.*xkbcommon/' || true)
exit $status
