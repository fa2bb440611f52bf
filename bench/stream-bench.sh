#!/usr/bin/env bash
# Download and upload throughput of Tandrel's FTP stream layer against the curl command, over
# loopback, both writing (or reading) a real file; and the stream process's peak memory for a
# 100 MiB and a 1 GiB file, which should not differ.
#   bench/stream-bench.sh [runs]     (default 3 runs of each measurement; the fastest counts)
# Downloads are written to a tmpfs folder when there is one, so that the disk's write-back does
# not swamp what is measured; curl and Tandrel write to the same place.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-3}"
source "$here/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"

build="$here/build-bench"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTANDREL_BENCH=ON >/dev/null
fi
cmake --build "$build" --target stream_bench -- -j2 >/dev/null
bench="$build/bench/stream_bench"

source "$here/bench/bench-server.sh"

# Prints "seconds peak-kib cpu-seconds" of a command.
timed()
{
    /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
        cat "$work/stderr" >&2
        return 1
    }
    awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }' "$work/time"
}

# Prints "name seconds peak-kib cpu-seconds" of the fastest of $runs runs.
best()
{
    local what="$1"
    shift
    local best_s="" best_cpu="" peak="" s kib cpu
    for _ in $(seq "$runs"); do
        read -r s kib cpu < <(timed "$@") || {
            echo "$what failed" >&2
            exit 1
        }
        # Downloaded copies and uploaded files go, so that every run starts alike.
        rm -f "$out/"* "$work/root/incoming/"*-up.bin "$work/root/"*-up.bin
        if [ -z "$best_s" ] || awk "BEGIN{exit !($s < $best_s)}"; then
            best_s="$s"
            best_cpu="$cpu"
        fi
        peak="$kib"
    done
    echo "$what $best_s $peak $best_cpu"
}

mbps()
{
    awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.0f", bytes / s / 1e6 }'
}

gib=$((1024 * 1024 * 1024))
read -r _ curl_down_s _ curl_down_cpu < <(best curl-down curl -s -o "$out/curl.bin" "$url/big-1g.bin")
read -r _ tandrel_down_s tandrel_down_kib tandrel_down_cpu < <(best tandrel-down "$bench" download "$url/big-1g.bin" "$out/tandrel.bin")
read -r _ _ tandrel_small_kib _ < <(best tandrel-down-100m "$bench" download "$url/big-100m.bin" "$out/tandrel.bin")

upload_url="$url${upload_dir:+/$upload_dir}"
read -r _ curl_up_s _ curl_up_cpu < <(best curl-up curl -s -T "$work/root/big-1g.bin" "$upload_url/curl-up.bin")
read -r _ tandrel_up_s tandrel_up_kib tandrel_up_cpu < <(best tandrel-up "$bench" upload "$work/root/big-1g.bin" "$upload_url/tandrel-up.bin")

row()
{
    printf '%-9s %10s %13s %7s %15s %15s\n' "$1" "$(mbps $gib "$2")" "$(mbps $gib "$3")" \
        "$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.2fx", a / b }')" "$4" "$5"
}
printf '%-9s %10s %13s %7s %15s %15s\n' "1 GiB" "curl MB/s" "Tandrel MB/s" ratio "curl CPU s" "Tandrel CPU s"
row download "$curl_down_s" "$tandrel_down_s" "$curl_down_cpu" "$tandrel_down_cpu"
row upload "$curl_up_s" "$tandrel_up_s" "$curl_up_cpu" "$tandrel_up_cpu"
echo "stream process peak RSS: download 100 MiB ${tandrel_small_kib} KiB, 1 GiB ${tandrel_down_kib} KiB; upload 1 GiB ${tandrel_up_kib} KiB"
