#!/usr/bin/env bash
# Writes the COMMANDS section of vexalin-cli(1) for help2man: every command named in the
# overview ("vexalin-cli --help"), with the description, options and arguments of its own
# "--help", so that the page lists exactly what the program takes.
# Usage: cli_commands_section.sh VEXALIN_CLI OUTPUT
set -euo pipefail
cli=$1
output=$2

commands=$("$cli" --help | awk '/^Commands:/ { on = 1; next } on && /^$/ { exit } on { print $1 }')
[ -n "$commands" ] || { echo "$0: no commands in the overview of $cli" >&2; exit 1; }

# Qt's help text: a usage line, a description, then "Options:" and "Arguments:" lists whose
# items start two columns in and whose wrapped lines are indented further.
to_roff() {
    awk '
    function text(s) {
        gsub(/\\/, "\\e", s)
        gsub(/-/, "\\-", s)
        sub(/^[.\047]/, "\\&&", s)
        return s
    }
    function item(names,    parts, i, out, word) {
        n = split(names, parts, ", ")
        out = ""
        for (i = 1; i <= n; ++i) {
            word = parts[i]
            value = ""
            if (match(word, / <[^>]*>$/)) {
                value = substr(word, RSTART + 1)
                word = substr(word, 1, RSTART - 1)
            }
            out = out (i > 1 ? ", " : "") (list == "Arguments" ? "\\fI" : "\\fB") text(word) "\\fR"
            if (value != "")
                out = out " \\fI" text(value) "\\fR"
        }
        return out
    }
    NR == 1 { sub(/^Usage: /, ""); print ".SS \"" text($0) "\""; next }
    /^(Options|Arguments):$/ { list = substr($0, 1, length($0) - 1); next }
    /^$/ { if (!list) print ".PP"; next }
    list && /^  [^ ]/ {
        line = substr($0, 3)
        if (match(line, /   *[^ ]/)) {
            names = substr(line, 1, RSTART - 1)
            description = substr(line, RSTART + RLENGTH - 1)
            print ".TP"
            print item(names)
            print text(description)
        } else {
            print ".TP"
            print item(line)
        }
        next
    }
    { sub(/^ +/, ""); print text($0) }
    '
}

{
    echo "[COMMANDS]"
    for command in $commands; do
        "$cli" "$command" --help | to_roff
    done
} >"$output"
