#!/bin/sh
# What a process pays before main() for the libraries it links: an empty program linked against
# nothing, against the CLI's FFmpeg libraries and against its other libraries (both read from the
# CLI's NEEDED entries, so they follow the build), beside `CLI --version` (hyperfine, medians of
# RUNS runs after two warm-ups). The part that FFmpeg's dependencies add is serial on every thread
# count, so it bounds what a second thread can gain on a whole command: bench/README.md, "The
# whole video command, as a user times it".
#
#   bench/startup_floor.sh CLI [RUNS]
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 CLI [RUNS]" >&2
    exit 2
fi
cli=$1
runs=${2:-20}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
echo 'int main(void) { return 0; }' >"$tmp/empty.c"
build() {
    name=$1
    shift
    # --no-as-needed keeps every named library although the program calls none of them.
    cc -O2 "$tmp/empty.c" -o "$tmp/$name" -Wl,--no-as-needed "$@"
    echo "$name: $(ldd "$tmp/$name" | wc -l) objects loaded"
}
needed=$(readelf -d "$cli" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | grep -v -e '^libc\.' -e '^ld-linux')
build nothing
build ffmpeg $(echo "$needed" | grep -e '^libav' -e '^libsw' | sed 's/^/-l:/')
build others $(echo "$needed" | grep -v -e '^libav' -e '^libsw' | sed 's/^/-l:/')
echo "cli: $(ldd "$cli" | wc -l) objects loaded"
hyperfine -N -w 2 -r "$runs" --export-json "$tmp/times.json" \
    -n nothing "$tmp/nothing" -n ffmpeg "$tmp/ffmpeg" -n others "$tmp/others" \
    -n "cli --version" "$cli --version" >/dev/null
python3 - "$tmp/times.json" <<'EOF'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f"{r['command']:>14}: median {r['median'] * 1000:6.1f} ms")
EOF
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
