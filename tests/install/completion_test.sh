#!/usr/bin/env bash
# Completes command lines with the bash completion of zavelon-cli against the
# real program's usage, with stand-ins for the two helpers bash-completion
# provides (_filedir answers what it was asked for).
#   completion_test.sh COMPLETION_FILE ZAVELON_CLI
set -u
completion=$1
cli=$2

_init_completion()
{
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
}
_filedir() { COMPREPLY=("<files${1:+ $1}>"); }
# shellcheck source=/dev/null
source "$completion"

failed=0
passed=0
# expect WANTED WORD... : completing the last word offers WANTED (sorted,
# duplicates dropped, space-separated).
expect()
{
    local want=$1
    shift
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _zavelon_cli
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort -u | paste -sd' ')
    if [[ $got == "$want" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "zavelon-cli $*: offered \"$got\", expected \"$want\""
    fi
}

expect "task" ta
expect "scan settings" s
expect "new show urls" task ''
expect "show" task s
expect "add list" library ''
expect "task" --home /tmp/h ta
expect "--help --home --version" -
expect "<files -d>" --home ''
expect "<files wrp>" task show ''
expect "<files wrp>" run ''
expect "--help --quiet" run a.wrp --
expect "--mask --max --min" task new a.wrp --m
expect "" task new a.wrp --url ''
expect "<files -d>" task new a.wrp --folder ''
expect "<files>" library add ''
expect "<files>" library list --file ''
expect "<files>" scan http://h/ ''
expect "" settings show ''
expect "settings" help se

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
