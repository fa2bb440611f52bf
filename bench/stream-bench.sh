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

work="$(mktemp -d /tmp/tandrel-bench.XXXXXX)"
chmod 755 "$work"
out="$work/out"
[ -d /dev/shm ] && out="$(mktemp -d /dev/shm/tandrel-bench.XXXXXX)"
server_pid=""
cleanup()
{
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work" "$out"
}
trap cleanup EXIT

free_port()
{
    /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

mkdir -p "$work/root/incoming" "$work/empty" "$out"
chmod 755 "$work/root" "$work/empty"
# Sparse sources: the disk is not what is measured.
truncate -s 1G "$work/root/big-1g.bin"
truncate -s 100M "$work/root/big-100m.bin"
chmod 644 "$work/root/"*.bin

port="$(free_port)"
if [ "$(id -u)" -eq 0 ] && [ -x /usr/sbin/vsftpd ]; then
    chown ftp "$work/root/incoming"
    cat >"$work/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$port
background=NO
anonymous_enable=YES
no_anon_password=YES
anon_root=$work/root
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_umask=022
secure_chroot_dir=$work/empty
seccomp_sandbox=NO
pasv_enable=YES
connect_from_port_20=NO
xferlog_enable=NO
syslog_enable=NO
CONF
    chmod 600 "$work/vsftpd.conf"
    /usr/sbin/vsftpd "$work/vsftpd.conf" >"$work/server.log" 2>&1 &
    server_pid=$!
    server=vsftpd
else
    /usr/bin/python3 "$here/tests/support/ftpserver.py" --root "$work/root" --port "$port" \
        --anonymous-write --quiet >"$work/server.log" 2>&1 &
    server_pid=$!
    server=pyftpdlib
fi
for _ in $(seq 50); do
    curl -s -o /dev/null "ftp://127.0.0.1:$port/" && break
    sleep 0.1
done
url="ftp://127.0.0.1:$port"
echo "server: $server on $url; downloads written to $out; fastest of $runs runs"

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

upload_dir="$url/incoming"
[ "$server" = pyftpdlib ] && upload_dir="$url"
read -r _ curl_up_s _ curl_up_cpu < <(best curl-up curl -s -T "$work/root/big-1g.bin" "$upload_dir/curl-up.bin")
read -r _ tandrel_up_s tandrel_up_kib tandrel_up_cpu < <(best tandrel-up "$bench" upload "$work/root/big-1g.bin" "$upload_dir/tandrel-up.bin")

row()
{
    printf '%-9s %10s %13s %7s %15s %15s\n' "$1" "$(mbps $gib "$2")" "$(mbps $gib "$3")" \
        "$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.2fx", a / b }')" "$4" "$5"
}
printf '%-9s %10s %13s %7s %15s %15s\n' "1 GiB" "curl MB/s" "Tandrel MB/s" ratio "curl CPU s" "Tandrel CPU s"
row download "$curl_down_s" "$tandrel_down_s" "$curl_down_cpu" "$tandrel_down_cpu"
row upload "$curl_up_s" "$tandrel_up_s" "$curl_up_cpu" "$tandrel_up_cpu"
echo "stream process peak RSS: download 100 MiB ${tandrel_small_kib} KiB, 1 GiB ${tandrel_down_kib} KiB; upload 1 GiB ${tandrel_up_kib} KiB"
