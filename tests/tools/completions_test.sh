#!/usr/bin/env bash
# Types command lines and TAB at interactive bash, zsh and fish loading the
# generated completions, and checks the words of each completed line: file
# and macro names with spaces (and a colon) come back whole. A shell that is
# not installed is skipped. Arguments: the folder of the programs, the folder
# of the generated scripts, a macro library to offer names from.
set -u
here=$(dirname "$(realpath "$0")")
bin=$(realpath "$1") scripts=$(realpath "$2") library=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/my files"
cp "$library" "$work/home/Macros.mcf"
touch "$work/my files/some script.tsc"
export WINGMATE_HOME=$work/home PATH=$bin:$PATH
cd "$work" || exit 1

typed=(
    'wingmatectl run Test\ m'
    "wingmatectl run 'Test m"
    "wingmatectl run Test\\ \\'q"
    'wingmatectl run Backup:\ d'
    'wingmatectl list --file my\ files/so'
    'wingmatectl ru'
)
wanted="wingmatectl|run|Test macro
wingmatectl|run|Test macro
wingmatectl|run|Test 'quoted' run
wingmatectl|run|Backup: daily
wingmatectl|list|--file|my files/some script.tsc
wingmatectl|run"

failed=0
check() { # shell, setup, command line of the shell
    local shell=$1 setup=$2 got
    shift 2
    if ! command -v "$shell" >/dev/null; then
        echo "$shell not installed: skipped"
        return
    fi
    got=$(timeout 30 python3 "$here/complete_at_tty.py" "$setup" "${typed[@]}" -- "$@")
    if [ "$got" != "$wanted" ]; then
        printf '%s: wanted\n%s\ngot\n%s\n' "$shell" "$wanted" "$got"
        failed=1
    fi
}
check bash "source '$scripts/wingmatectl'; PS1='RE''ADY> '" bash --norc --noprofile -i
check zsh "fpath=('$scripts/zsh' \$fpath); autoload -Uz compinit; compinit -u -D; PS1='RE''ADY> '" \
    zsh -f -i
check fish "source '$scripts/wingmatectl.fish'; function fish_prompt; echo -n 'RE''ADY> '; end" \
    fish --no-config -i

# Completing only reads the library.
cmp -s "$library" "$work/home/Macros.mcf" || { echo "the library changed"; failed=1; }
[ "$(ls "$work/home")" = Macros.mcf ] || { echo "files appeared: $(ls "$work/home")"; failed=1; }
exit $failed
