#!/bin/bash
# Times converting the benchmark's generated Pellomar file (18 busy channel
# lines, over 2 million events) with `tamsel-cli convert`, and csvmidi
# compiling a CSV of the same events, in the same run; prints events a second
# and how much longer csvmidi takes.
#
#   bench/pellomar_peers.sh [BUILD_DIR]     (default: build; REPEAT=n for best of n, default 3)
set -euo pipefail

build=${1:-build}
repeat=${REPEAT:-3}
tool=$build/bench/pellomar_tool
cli=$build/src/cli/tamsel-cli

[ -x "$tool" ] && [ -x "$cli" ] || { echo "build the pellomar_tool and tamsel-cli targets in $build first" >&2; exit 1; }
command -v csvmidi >/dev/null || { echo "midicsv is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" generate "$work/in.pmr"
"$tool" csv "$work/in.pmr" "$work/in.csv"
events=$(grep -c -v -e ', Header,' -e ', Start_track' -e 'End_of_file' "$work/in.csv")

tamsel() { "$cli" convert "$work/in.pmr" -o "$work/tamsel.mid"; }
csv() { csvmidi "$work/in.csv" "$work/csv.mid"; }

# Best of $repeat: wall-clock seconds, and user plus system CPU seconds.
best() {
    local best_wall="" best_cpu=""
    for ((i = 0; i < repeat; i++)); do
        local times
        times=$( { TIMEFORMAT='%R %U %S'; time "$1" >/dev/null 2>&1; } 2>&1 )
        read -r wall user sys <<<"$times"
        local cpu
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
        if [ -z "$best_wall" ] || awk -v t="$wall" -v b="$best_wall" 'BEGIN { exit !(t < b) }'; then best_wall=$wall; fi
        if [ -z "$best_cpu" ] || awk -v t="$cpu" -v b="$best_cpu" 'BEGIN { exit !(t < b) }'; then best_cpu=$cpu; fi
    done
    echo "$best_wall $best_cpu"
}

read -r t_wall t_cpu <<<"$(best tamsel)"
read -r c_wall c_cpu <<<"$(best csv)"
# csvmidi writes running status, so the files differ in bytes; their events must not.
same=no
command -v midicsv >/dev/null && cmp -s <(midicsv "$work/tamsel.mid") <(midicsv "$work/csv.mid") && same=yes

printf 'file: %d bytes, %d events; best of %d\n' "$(stat -c %s "$work/in.pmr")" "$events" "$repeat"
printf '%-22s wall %7.3f s (%5.1f M events/s)  cpu %7.3f s (%5.1f M events/s)\n' "tamsel-cli convert" \
    "$t_wall" "$(awk -v e="$events" -v t="$t_wall" 'BEGIN { print e / t / 1e6 }')" \
    "$t_cpu" "$(awk -v e="$events" -v t="$t_cpu" 'BEGIN { print e / t / 1e6 }')"
printf '%-22s wall %7.3f s (%5.1f x tamsel)     cpu %7.3f s (%5.1f x tamsel)\n' "csvmidi (CSV -> SMF)" \
    "$c_wall" "$(awk -v a="$c_wall" -v b="$t_wall" 'BEGIN { print a / b }')" \
    "$c_cpu" "$(awk -v a="$c_cpu" -v b="$t_cpu" 'BEGIN { print a / b }')"
echo "same events as csvmidi's file: $same"
