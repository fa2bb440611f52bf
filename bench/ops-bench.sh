#!/usr/bin/env bash
# Download and upload throughput of the whole app path (window, controller, operation object,
# stream, local file) driven by tools/tandrel-drive, against the curl command on the same
# loopback server in the same run, both writing (or reading) a real file; and tandrel-drive's
# peak memory for a 100 MiB and a 1 GiB download, which should not differ.
#   bench/ops-bench.sh [runs]     (default 3 runs of each measurement; the fastest counts)
# Tandrel's time is its own "time get"/"time put" step (the transfer, from the button press to
# the end; for put also the listing that follows); curl's is the whole command, connection and
# login included. Downloads go to a tmpfs folder when there is one, for both.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-3}"
source "$here/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"

build="$here/build-bench"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTANDREL_BENCH=ON >/dev/null
fi
cmake --build "$build" --target tandrel-drive -- -j2 >/dev/null
drive="$build/tools/tandrel-drive"

source "$here/bench/bench-server.sh"
# The upload's source lies outside the served root.
mkdir -p "$work/src"
truncate -s 1G "$work/src/up-1g.bin"

drive_args=(--host 127.0.0.1 --port "$port" --anonymous --download-folder "$out" --timing)
cd_upload=()
[ -n "$upload_dir" ] && cd_upload=(cd "$upload_dir")

# Runs a command under /usr/bin/time; prints "seconds peak-kib" and keeps its output in $work/log.
timed()
{
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/log" 2>"$work/stderr" || {
        cat "$work/stderr" >&2
        return 1
    }
    cat "$work/time"
}

# The seconds of tandrel-drive's own step line "time <step> <seconds>".
step_seconds()
{
    awk -F'\t' -v step="$1" '$1 == "time" && $2 == step { print $3 }' "$work/log"
}

remove_copies()
{
    rm -f "$out/"* "$work/root/incoming/"*up*.bin "$work/root/"*up*.bin
}

# Prints "seconds peak-kib" of the fastest of $runs runs; $1 is the drive's step name, or "-" to
# time the whole command; $2 the size the produced file must have; $3 that file.
best()
{
    local step="$1" size="$2" produced="$3"
    shift 3
    local best_s="" peak="" s kib
    for _ in $(seq "$runs"); do
        read -r s kib < <(timed "$@") || {
            echo "failed: $*" >&2
            exit 1
        }
        [ "$step" != "-" ] && s="$(step_seconds "$step")"
        if [ "$(stat -c %s "$produced" 2>/dev/null || echo 0)" != "$size" ]; then
            echo "wrong size of $produced after: $*" >&2
            exit 1
        fi
        remove_copies
        if [ -z "$best_s" ] || awk "BEGIN{exit !($s < $best_s)}"; then
            best_s="$s"
        fi
        peak="$kib"
    done
    echo "$best_s $peak"
}

gib=$((1024 * 1024 * 1024))
mib100=$((100 * 1024 * 1024))
uploaded="$work/root/${upload_dir:+$upload_dir/}up-1g.bin"
curl_uploaded="$work/root/${upload_dir:+$upload_dir/}curl-up.bin"

read -r curl_down_s _ < <(best - $gib "$out/curl.bin" curl -s -o "$out/curl.bin" "$url/big-1g.bin")
read -r tandrel_down_s tandrel_down_kib < <(best get $gib "$out/big-1g.bin" \
    "$drive" "${drive_args[@]}" get big-1g.bin)
read -r _ tandrel_small_kib < <(best get $mib100 "$out/big-100m.bin" \
    "$drive" "${drive_args[@]}" get big-100m.bin)
read -r curl_up_s _ < <(best - $gib "$curl_uploaded" \
    curl -s -T "$work/src/up-1g.bin" "$url/${upload_dir:+$upload_dir/}curl-up.bin")
read -r tandrel_up_s tandrel_up_kib < <(best put $gib "$uploaded" \
    "$drive" "${drive_args[@]}" "${cd_upload[@]}" put "$work/src/up-1g.bin")

mbps()
{
    awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.0f", bytes / s / 1e6 }'
}
row()
{
    printf '%-9s %10s %13s %16s\n' "$1" "$(mbps $gib "$2")" "$(mbps $gib "$3")" \
        "$(awk -v c="$2" -v t="$3" 'BEGIN { printf "%.2fx", c / t }')"
}
printf '%-9s %10s %13s %16s\n' "1 GiB" "curl MB/s" "Tandrel MB/s" "Tandrel/curl"
row download "$curl_down_s" "$tandrel_down_s"
row upload "$curl_up_s" "$tandrel_up_s"
echo "tandrel-drive peak RSS: get 100 MiB ${tandrel_small_kib} KiB, get 1 GiB ${tandrel_down_kib} KiB" \
    "(difference $(((tandrel_down_kib - tandrel_small_kib))) KiB); put 1 GiB ${tandrel_up_kib} KiB"
