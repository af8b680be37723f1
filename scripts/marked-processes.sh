#!/usr/bin/env bash
# The processes whose environment holds VARIABLE=VALUE: what the test command or a test environment started and is
# still running (each exports such a mark to everything it starts).
#
#   scripts/marked-processes.sh VARIABLE=VALUE                 prints them, one "PID COMMAND" line each
#   scripts/marked-processes.sh --end VARIABLE=VALUE MESSAGE   says MESSAGE and them on stderr, kills them and
#                                                              fails, if there are any
set -euo pipefail
end=0
[[ "$1" == --end ]] && end=1
mark=${*:end+1:1}
variable=${mark%%=*}
# Started with the mark, this script and what it runs would find themselves.
if [[ -n "${!variable+set}" ]]; then
    exec env -u "$variable" bash "$0" "$@"
fi

list() {
    local file pid command
    grep -lzxsF "$mark" /proc/[0-9]*/environ 2>/dev/null | while read -r file; do
        pid=${file#/proc/}
        pid=${pid%/environ}
        # A process may end between the two reads.
        command=$({ tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null) || continue
        echo "$pid $command"
    done || true
}

if ((!end)); then
    list
    exit 0
fi
left=$(list)
[[ -z "$left" ]] && exit 0
echo "${*:3:1}" >&2
echo "$left" >&2
while read -r pid _; do kill -9 "$pid" 2>/dev/null || true; done <<<"$left"
exit 1
