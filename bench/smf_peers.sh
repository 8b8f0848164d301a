#!/bin/bash
# Times reading and saving one generated SMF (2 million events over 16
# tracks, running status, tempo changes) with tamsel, Debian's python3-mido
# and midicsv | csvmidi, in the same run, and prints how much longer each
# peer takes than tamsel.
#
#   bench/smf_peers.sh [BUILD_DIR]     (default: build; REPEAT=n for best of n, default 3)
#
# tamsel is timed through `tamsel-cli convert` when that works, else through
# the benchmark's own smf_roundtrip program (the same read and atomic save).
set -euo pipefail

build=${1:-build}
repeat=${REPEAT:-3}
roundtrip=$build/bench/smf_roundtrip
cli=$build/src/cli/tamsel-cli
python=/usr/bin/python3

[ -x "$roundtrip" ] || { echo "missing $roundtrip (build the smf_roundtrip target)" >&2; exit 1; }
"$python" -c 'import mido' 2>/dev/null || { echo "python3-mido is not installed" >&2; exit 1; }
command -v midicsv >/dev/null && command -v csvmidi >/dev/null || { echo "midicsv is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$roundtrip" generate "$work/in.mid"

if [ -x "$cli" ] && "$cli" convert "$work/in.mid" -o "$work/probe.mid" >/dev/null 2>&1 && [ -s "$work/probe.mid" ]; then
    tamsel_name="tamsel-cli convert"
    tamsel() { "$cli" convert "$work/in.mid" -o "$work/tamsel.mid" >/dev/null; }
else
    tamsel_name="smf_roundtrip convert"
    tamsel() { "$roundtrip" convert "$work/in.mid" "$work/tamsel.mid"; }
fi
mido() { "$python" -c 'import sys, mido; mido.MidiFile(sys.argv[1]).save(sys.argv[2])' "$work/in.mid" "$work/mido.mid"; }
midicsv_csvmidi() { midicsv "$work/in.mid" | csvmidi - "$work/csv.mid"; }

# Best of $repeat wall-clock runs, in seconds.
best() {
    local best_time=""
    for ((i = 0; i < repeat; i++)); do
        local start end took
        start=$(date +%s.%N)
        "$1"
        end=$(date +%s.%N)
        took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
        if [ -z "$best_time" ] || awk -v t="$took" -v b="$best_time" 'BEGIN { exit !(t < b) }'; then best_time=$took; fi
    done
    echo "$best_time"
}

size=$(stat -c %s "$work/in.mid")
t_tamsel=$(best tamsel)
t_mido=$(best mido)
t_csv=$(best midicsv_csvmidi)

printf 'file: %d bytes, 2000000 events, 16 tracks; best of %d\n' "$size" "$repeat"
printf '%-24s %8.3f s\n' "$tamsel_name" "$t_tamsel"
printf '%-24s %8.3f s  %6.1f x tamsel\n' "python3-mido" "$t_mido" "$(awk -v a="$t_mido" -v b="$t_tamsel" 'BEGIN { print a / b }')"
printf '%-24s %8.3f s  %6.1f x tamsel\n' "midicsv | csvmidi" "$t_csv" "$(awk -v a="$t_csv" -v b="$t_tamsel" 'BEGIN { print a / b }')"
