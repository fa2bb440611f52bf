#!/usr/bin/env bash
# Listing benchmark: connect -> "List succeeded" for a 100,000-entry folder on loopback through
# the real window (tandrel-drive), beside curl fetching the same raw listing, and the longest
# stall of the event loop meanwhile. Prints figures; asserts nothing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
entries="${ENTRIES:-100000}"
rounds="${ROUNDS:-3}"
build="$here/build-bench"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTANDREL_BENCH=ON >/dev/null
cmake --build "$build" --target tandrel-drive >/dev/null

work="$(mktemp -d -t tandrel-listing-bench.XXXXXX)"
server=""
cleanup() { [ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$work/root/big"
/usr/bin/python3 - "$work/root/big" "$entries" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    open(os.path.join(folder, "file-%06d.dat" % i), "w").close()
PY
/usr/bin/python3 "$here/tests/support/ftpserver.py" --root "$work/root" --port 0 --anonymous \
    --quiet >"$work/server.out" 2>"$work/server.log" &
server=$!
port=""
for _ in $(seq 100); do
    port="$(sed -n 's/^PORT \([0-9]*\)$/\1/p' "$work/server.out")"
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "server did not start"; cat "$work/server.log"; exit 1; }

best() { sort -n | head -n 1; }
curl_times=() tandrel_times=() stalls=()
for _ in $(seq "$rounds"); do
    curl_times+=("$(curl -s -o /dev/null -w '%{time_total}' "ftp://127.0.0.1:$port/big/")")
    out="$("$build/tools/tandrel-drive" --host 127.0.0.1 --port "$port" --dir big --anonymous \
        --timing list 2>/dev/null)"
    rows="$(grep -c '^row' <<<"$out")"
    [ "$rows" -eq "$entries" ] || { echo "tandrel listed $rows of $entries entries"; exit 1; }
    tandrel_times+=("$(awk -F'\t' '$1=="time" && $2=="connect" {print $3}' <<<"$out")")
    stalls+=("$(awk -F'\t' '$1=="stall-max-ms" {print $2}' <<<"$out")")
done
curl_best="$(printf '%s\n' "${curl_times[@]}" | best)"
tandrel_best="$(printf '%s\n' "${tandrel_times[@]}" | best)"
stall_worst="$(printf '%s\n' "${stalls[@]}" | sort -n | tail -n 1)"
echo "entries:                     $entries"
echo "curl raw listing (best):     ${curl_best} s   (all: ${curl_times[*]})"
echo "tandrel connect->listed:     ${tandrel_best} s   (all: ${tandrel_times[*]})"
awk -v t="$tandrel_best" -v c="$curl_best" 'BEGIN { printf "ratio tandrel/curl:          %.2fx (target <= 1.2x)\n", t / c }'
echo "longest event-loop stall:    ${stall_worst} ms (target < 50 ms; all: ${stalls[*]})"
