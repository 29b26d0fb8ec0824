# What Tab offers after a command line, as bash would complete it with bash-completion and the
# completion file loaded: sets COMP_WORDS as bash splits the line (at blanks and at "="), calls
# the function registered for vexalin-cli and prints what it offers, one per line.
# Usage: bash --norc --noprofile complete_line.bash COMPLETION_FILE LINE
source /usr/share/bash-completion/bash_completion || exit 90
source "$1" || exit 91
function=$(complete -p vexalin-cli | sed -n 's/.* -F \([^ ]*\) .*/\1/p')
[[ -n $function ]] || exit 92
COMP_LINE=$2
COMP_POINT=${#COMP_LINE}
read -ra COMP_WORDS <<<"${COMP_LINE//=/ = }"
[[ $COMP_LINE == *[\ =] ]] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
COMPREPLY=()
"$function" vexalin-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}"
