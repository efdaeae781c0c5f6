#!/bin/bash
# Records a session across two windows (xterm and an editor) under openbox on
# a private Xvfb, then replays it into fresh windows with the editor moved,
# and compares what the windows produced. Not run by CI.
#
#   scripts/proof-replay.sh BUILD_DIR [EDITOR...]   (EDITOR: mousepad, featherpad)
#   PROOF_RUNS=N (runs per layout and editor, 1), PROOF_LAYOUTS="us de" (us de us,ru)
#
# For every keyboard layout (us, de, us,ru) and editor: the session types a
# shell command into xterm, two lines into the editor, goes to the top of the
# document, clicks below the text (which puts the cursor at its end, so a
# click that misses the moved window shows), types there and saves. Titles
# are recorded whole, so the editor's modified mark after the first key
# matters. Prints one line per run and the counts at the end.
set -u
build=${1:?build directory}
shift
editors=("$@")
[ ${#editors[@]} -eq 0 ] && editors=(mousepad featherpad)
ctl="$build/bin/wingmatectl"
tessera="$build/bin/tessera"
work=$(mktemp -d /tmp/proof-replay.XXXXXX)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"

# The server picks a free display number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for ((tries = 0; tries < 100; tries++)); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=:$(head -1 "$work/display")
openbox >/dev/null 2>&1 &
sleep 1

apps=()
start_apps() { # EDITOR FILE: a fresh xterm and editor, editor 600x400 at x,y
    local editor=$1 file=$2 x=$3 y=$4
    xterm -T "proof term" -e bash --norc --noprofile >/dev/null 2>&1 &
    apps+=($!)
    "$editor" "$file" >/dev/null 2>&1 &
    apps+=($!)
    local class=$editor
    # The window the window manager lists: Qt programs have hidden windows
    # of the same class as well.
    local window="" tries
    for ((tries = 0; tries < 100; tries++)); do
        window=$(managed_window "$editor")
        [ -n "$window" ] && xdotool search --name "proof term" >/dev/null 2>&1 && break
        sleep 0.1
    done
    [ -n "$window" ] || echo "  no $editor window" >&2
    sleep 1.5
    timeout 10 xdotool windowsize "$window" 600 400 windowmove "$window" "$x" "$y"
    sleep 0.5
}
managed_window() { # CLASS: the listed window of that class
    local window
    for window in $(xprop -root _NET_CLIENT_LIST | sed 's/.*#//; s/,/ /g'); do
        xprop -id "$window" WM_CLASS 2>/dev/null | grep -qi "\"$1\"" && echo "$window" && return
    done
}
stop_apps() {
    for pid in "${apps[@]}"; do kill "$pid" 2>/dev/null; done
    wait "${apps[@]}" 2>/dev/null
    apps=()
    sleep 0.5
}

# What the user does, played with our own key and mouse playback.
act_script() { # EDITOR_TITLE_PART EDITOR_CLASS
    cat <<TSC
WinActivate("$1", 5000, "$2");
TypeKeys("line one<ENTER>line two");
WinActivate("proof term");
TypeKeys("echo hello \$((6*7)) > $work/term.txt<ENTER>");
WinActivate("$1", 5000, "$2");
TypeKeys("<CTRL><HOME>");
MouseClick(300, 200, 1, "window");
TypeKeys(" and the end<CTRL>s");
Sleep(500);
TypeKeys("<CTRL>z");
TSC
}

runs=0 passed=0
for ((run = 0; run < ${PROOF_RUNS:-1}; run++)); do
  for layout in ${PROOF_LAYOUTS:-us de us,ru}; do
    setxkbmap -layout "$layout"
    for editor in "${editors[@]}"; do
        runs=$((runs + 1))
        rm -f "$work"/notes.txt "$work"/term.txt "$work"/rec.tsc
        : >"$work/notes.txt"
        start_apps "$editor" "$work/notes.txt" 40 60
        act_script notes.txt "$editor" >"$work/act.tsc"
        "$ctl" record "$work/rec.tsc" --full-titles >"$work/record.out" 2>&1 &
        recorder=$!
        sleep 1
        timeout 60 "$tessera" "$work/act.tsc" >"$work/act.out" 2>&1
        for ((tries = 0; tries < 100; tries++)); do
            kill -0 $recorder 2>/dev/null || break
            sleep 0.1
        done
        kill $recorder 2>/dev/null && echo "  the recorder did not stop" >&2
        wait $recorder
        sleep 0.5
        stop_apps
        recorded_notes=$(cat "$work/notes.txt" 2>/dev/null)
        recorded_term=$(cat "$work/term.txt" 2>/dev/null)
        lines=$(wc -l <"$work/rec.tsc" 2>/dev/null || echo 0)

        # Fresh windows, the editor somewhere else.
        rm -f "$work"/term.txt
        : >"$work/notes.txt"
        start_apps "$editor" "$work/notes.txt" 520 400
        timeout 60 "$tessera" "$work/rec.tsc" >"$work/replay.out" 2>&1
        status=$?
        sleep 1
        stop_apps
        replayed_notes=$(cat "$work/notes.txt" 2>/dev/null)
        replayed_term=$(cat "$work/term.txt" 2>/dev/null)
        verdict=FAIL
        if [ $status -eq 0 ] && [ -n "$recorded_notes" ] && [ "$recorded_notes" = "$replayed_notes" ] &&
            [ "$recorded_term" = "hello 42" ] && [ "$replayed_term" = "hello 42" ]; then
            verdict=ok
            passed=$((passed + 1))
        fi
        printf '%-7s %-10s %s: %s lines recorded, replay exit %s, editor %q, term %q\n' \
            "$layout" "$editor" "$verdict" "$lines" "$status" "$replayed_notes" "$replayed_term"
        [ -n "${PROOF_SHOW:-}" ] && sed "s/^/  rec: /" "$work/rec.tsc"
        if [ $verdict != ok ]; then
            printf '  recorded editor %q term %q\n' "$recorded_notes" "$recorded_term"
            sed 's/^/  rec: /' "$work/rec.tsc" 2>/dev/null
            sed 's/^/  replay: /' "$work/replay.out" "$work/act.out" "$work/record.out"
        fi
      done
    done
done
setxkbmap -layout us
echo "$passed of $runs replays gave the fresh windows what the recorded session gave"
[ $passed -eq $runs ]
