# Types each of the lines after $1 and TAB at an interactive zsh that loads
# the completions in folder $1, and prints each line as completed, one a line.
zmodload zsh/zpty || exit 1
zpty z zsh -f -i
# The prompt is spelt apart so that the echoed command does not match it.
zpty -w z "fpath=(${(q)1} \$fpath); autoload -Uz compinit; compinit -u -D; PROMPT='RE''ADY> '"
shift
out=
# Reads until the output matches pattern $1 (five seconds at most).
await() {
    local chunk i
    for ((i = 0; i < 100; i++)); do
        while zpty -r -t z chunk; do out+=$chunk; done
        [[ $out == $~1 ]] && return
        sleep 0.05
    done
    print -u2 "zsh did not answer"
    return 1
}
await '*READY> *' || exit 1
for line; do
    # TAB completes; Ctrl-A and print then show the line as completed.
    out=
    zpty -w -n z "$line"$'\t\x01'"print -r -- '<<' "$'\n'
    await $'*\n<< *\r*' || exit 1
    out=${out#*$'\n<< '}
    print -r -- "${out%%$'\r'*}"
done
zpty -d z
