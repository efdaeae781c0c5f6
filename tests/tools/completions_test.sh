#!/usr/bin/env bash
# Drives the generated bash, zsh and fish completions as each shell does:
# a file name with a space and macro names (with spaces) after `run`. A shell
# that is not installed is skipped. Arguments: the folder of the programs,
# the folder of the generated scripts, a macro library to offer names from.
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
failed=0

expect() { # what, wanted (lines), got (lines)
    if [ "$2" != "$3" ]; then
        printf '%s: wanted\n%s\ngot\n%s\n' "$1" "$2" "$3"
        failed=1
    fi
}
names=$'Test \'quoted\' run\nTest macro'
file='my files/some script.tsc'

# bash: the words as readline hands them over, COMPREPLY as it reads it back.
bash_complete() {
    bash --norc --noprofile -c 'source "$1"; shift; COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1)); _wingmatectl_complete; printf "%s\n" "${COMPREPLY[@]}" | sort' \
        _ "$scripts/wingmatectl" "$@"
}
expect "bash run" "$names" "$(bash_complete wingmatectl run Te)"
expect "bash run quoted" "Test macro" "$(bash_complete wingmatectl run '"Test m')"
expect "bash file" "$file" "$(bash_complete wingmatectl list --file 'my\ files/so')"
expect "bash command" "run" "$(bash_complete wingmatectl ru)"

# zsh: an interactive zsh under compinit on a pseudo-terminal, TAB typed.
if command -v zsh >/dev/null && zsh -fc 'zmodload zsh/zpty' 2>/dev/null; then
    expect "zsh" "wingmatectl run Test macro
wingmatectl run Test macro
wingmatectl run Test 
wingmatectl list --file $file
wingmatectl run" "$(timeout 20 zsh -f "$here/zsh_complete.zsh" "$scripts/zsh" 'wingmatectl run Test\ m' \
        "wingmatectl run 'Test m" 'wingmatectl run Te' 'wingmatectl list --file my\ files/so' \
        'wingmatectl ru')"
else
    echo "zsh not installed: skipped"
fi

# fish: its own completion of a typed command line.
if command -v fish >/dev/null; then
    fish_complete() {
        fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$scripts/wingmatectl.fish" "$1" |
            cut -f1 | sort
    }
    expect "fish run" "$names" "$(fish_complete 'wingmatectl run Te')"
    expect "fish run quoted" "Test macro" "$(fish_complete "wingmatectl run 'Test m")"
    expect "fish file" "$file" "$(fish_complete 'wingmatectl list --file my\ files/so')"
else
    echo "fish not installed: skipped"
fi

# Completing only reads the library.
cmp -s "$library" "$work/home/Macros.mcf" || { echo "the library changed"; failed=1; }
[ "$(ls "$work/home")" = Macros.mcf ] || { echo "files appeared: $(ls "$work/home")"; failed=1; }
exit $failed
