#!/bin/sh
# The whole video command as a user times it, process start to file written, on one engine thread
# against two, side by side (hyperfine, medians of RUNS runs after one warm-up), then checks that
# one, two and four threads write the same bytes. The load average is printed with the figures:
# on a shared machine it says how far they can be trusted.
#
#   bench/cli_threads.sh CLI VIDEO [RUNS]
#
# CLI is a Release build's lumivex-cli; VIDEO an interlaced PAL video (720 x 576, so ten fields
# of 720 x 288 enter the engine), enhanced onto 1440 x 1152, for example the developer set's
# video/b_mpeg2_720x576_interlaced_tff.mpg.
set -eu
if [ $# -lt 2 ]; then
    echo "usage: $0 CLI VIDEO [RUNS]" >&2
    exit 2
fi
cli=$1
video=$2
runs=${3:-5}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
command() {
    echo "$cli --threads $1 enhance $video --max-size 1440x1152 --proportional false --quiet -o $tmp/threads$1.bmp"
}
hyperfine -N -w 1 -r "$runs" --export-json "$tmp/times.json" "$(command 1)" "$(command 2)"
python3 - "$tmp/times.json" <<'EOF'
import json, sys
one, two = (r["median"] for r in json.load(open(sys.argv[1]))["results"])
print(f"medians: 1 thread {one * 1000:.0f} ms, 2 threads {two * 1000:.0f} ms, ratio {one / two:.2f}")
EOF
$(command 4)
cmp "$tmp/threads1.bmp" "$tmp/threads2.bmp"
cmp "$tmp/threads1.bmp" "$tmp/threads4.bmp"
echo "same bytes on 1, 2 and 4 threads"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
