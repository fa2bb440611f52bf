#!/usr/bin/env bash
# What a user waits for: the whole tandrel-drive process (start, connect, the step, every row in
# the table or every byte on disk, exit) against the whole `curl` command, on the same loopback
# servers (vsftpd and pyftpdlib), run in turn (curl, Tandrel, curl, Tandrel, ...) under
# /usr/bin/time. Prints the medians of wall time, CPU time (user + system) and peak memory per
# server, Tandrel's wall time as a multiple of curl's, and the longest time Tandrel's event loop
# was held (the drive's stall-max-ms, which must stay within 50 ms).
#   bench/compare.sh [pairs] [sftp|tree] (default 5 pairs of runs per row; sftp: the SFTP rows
#   alone; tree: the folder-tree rows alone, against lftp's mirror, see bench/compare-tree.sh)
# "clean" runs remove the previous output and sync before each run; "back to back" runs write
# over the same program's previous file while its pages may still be written back, as a user who
# fetches the same file again does. The upload and listing rows also time bench/qt_floor, the
# least any Qt Widgets window on libcurl does for the same work: where a target lies below it,
# the target is out of reach of a client built so. Tandrel runs as a returning user, its settings
# kept from run to run in the work folder. Needs a quiet machine; asserts nothing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
pairs="${1:-5}"
only="${2:-}"
source "$here/scripts/packages.sh"
source "$here/bench/loopback.sh"
source "$here/bench/compare-tree.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"

bench_build tandrel-drive qt_floor
drive="$build/tools/tandrel-drive"
floor="$build/bench/qt_floor"

# The machine, and whether it is quiet enough for wall times to mean much.
echo "machine: $(nproc) CPUs ($(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1))," \
    "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) RAM," \
    "$(uname -sr), $(df -T /var/tmp | awk 'NR == 2 { print $2 }') on /var/tmp;" \
    "curl $(curl --version | head -n 1 | cut -d' ' -f2); load $(cut -d' ' -f1-3 /proc/loadavg)"
if awk -v n="$(nproc)" '{ exit !($1 > n / 2) }' /proc/loadavg; then
    echo "warning: the machine is busy; wall times will be noisy (CPU times less so)" >&2
fi

bench_work compare

echo "Generating fixtures in $work ..." >&2
mkdir -p "$work/root/big" "$work/root/small" "$work/root/incoming" "$work/src" "$work/empty" \
    "$work/out/curl" "$work/out/tandrel"
chmod 755 "$work/root" "$work/root/big" "$work/root/small" "$work/empty"
chmod 777 "$work/root/incoming"
head -c 1G /dev/urandom >"$work/root/big-1g.bin"
cp "$work/root/big-1g.bin" "$work/src/up-1g.bin"
echo "a file to upload once, before the timed runs" >"$work/src/prime.txt"
chmod 644 "$work/root/big-1g.bin"
/usr/bin/python3 - "$work/root/big" "$work/root/small" <<'PY'
import os, sys
big, small = sys.argv[1], sys.argv[2]
# Plain, spaced and UTF-8 names, as real folders hold them.
forms = ["file-%06d.dat", "report %06d final.txt", "fichier-é-%06d.txt", "文件-%06d.bin"]
for i in range(100000):
    with open(os.path.join(big, forms[i % len(forms)] % i), "wb") as f:
        f.write(b"x" * (i % 97))
for i in range(20):
    open(os.path.join(small, "note-%02d.txt" % i), "w").close()
PY


servers=()
declare -A ports
if [ "$(id -u)" -eq 0 ] && [ -x /usr/sbin/vsftpd ]; then
    chown ftp "$work/root/incoming"
    ports[vsftpd]="$(free_port)"
    write_vsftpd_conf "$work/vsftpd.conf" "${ports[vsftpd]}" "$work/root" "$work/empty"
    /usr/sbin/vsftpd "$work/vsftpd.conf" >"$work/vsftpd.log" 2>&1 &
    pids+=($!)
    servers+=(vsftpd)
fi
ports[pyftpdlib]="$(free_port)"
/usr/bin/python3 "$here/tests/support/ftpserver.py" --root "$work/root" --port "${ports[pyftpdlib]}" \
    --anonymous-write --quiet >"$work/pyftpdlib.log" 2>&1 &
pids+=($!)
servers+=(pyftpdlib)
for server in "${servers[@]}"; do
    for _ in $(seq 100); do
        curl -s -o /dev/null "ftp://127.0.0.1:${ports[$server]}/small/" && break
        sleep 0.1
    done
done
# The fixtures' own write-back is over before the first run starts.
sync
sleep 2

# Runs a command under /usr/bin/time: appends "wall cpu peak-kib stall-ms" to the file $1 (the
# stall is what tandrel-drive --timing prints, 0 for curl).
timed()
{
    local into="$1" stall
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >"$work/stdout" 2>"$work/stderr" || {
        echo "failed: $*" >&2
        tail -n 5 "$work/stderr" >&2
        exit 1
    }
    stall="$(awk -F'\t' '$1 == "stall-max-ms" { print $2 }' "$work/stdout")"
    awk -v stall="${stall:-0}" '{ printf "%.3f %.3f %d %d\n", $1, $2 + $3, $4, stall }' \
        "$work/time" >>"$into"
}

# Runs a command untimed: the previous run of a back-to-back pair.
untimed()
{
    "$@" >"$work/stdout" 2>"$work/stderr" || {
        echo "failed: $*" >&2
        tail -n 5 "$work/stderr" >&2
        exit 1
    }
}

expect_size()
{
    local size
    size="$(stat -c %s "$1" 2>/dev/null || echo 0)"
    [ "$size" = "$2" ] || { echo "wrong size of $1: $size, not $2" >&2; exit 1; }
}

# expect_rows PATTERN COUNT WHO: a short listing is kept for a look in /var/tmp.
expect_rows()
{
    local rows kept
    rows="$(grep -c "$1" "$work/stdout" || true)"
    if [ "$rows" != "$2" ]; then
        kept="$(mktemp /var/tmp/tandrel-compare-short-listing.XXXXXX)"
        cp "$work/stdout" "$kept"
        echo "$3 listed $rows of $2 entries; its output is in $kept" >&2
        exit 1
    fi
}

median()
{
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# "wall cpu peak-kib" medians of a file of runs, and the largest stall.
medians()
{
    echo "$(cut -d' ' -f1 "$1" | median) $(cut -d' ' -f2 "$1" | median)" \
        "$(cut -d' ' -f3 "$1" | median) $(cut -d' ' -f4 "$1" | sort -n | tail -n 1)"
}

gib=$((1024 * 1024 * 1024))
printf '%-10s %-36s %9s %9s %7s %8s %8s %8s %8s %8s %8s %8s %8s\n' server work "curl s" "Tandrel s" \
    ratio "floor s" "floor x" "curl cpu" "T cpu" "curl MiB" "T MiB" "floor MiB" "T stall"
row()
{
    local server="$1" name="$2" cw cc cm cs tw tc tm ts fw=-1 fc fm=-1 fs
    read -r cw cc cm cs < <(medians "$work/curl.runs")
    read -r tw tc tm ts < <(medians "$work/tandrel.runs")
    [ -s "$work/floor.runs" ] && read -r fw fc fm fs < <(medians "$work/floor.runs")
    awk -v s="$server" -v n="$name" -v cw="$cw" -v tw="$tw" -v cc="$cc" -v tc="$tc" \
        -v cm="$cm" -v tm="$tm" -v ts="$ts" -v fw="$fw" -v fm="$fm" 'BEGIN {
            ratio = (cw > 0) ? sprintf("%.2fx", tw / cw) : "-"
            floor = (fw >= 0) ? sprintf("%.2f", fw) : "-"
            fratio = (fw >= 0 && cw > 0) ? sprintf("%.2fx", fw / cw) : "-"
            fmem = (fm >= 0) ? sprintf("%.1f", fm / 1024) : "-"
            printf "%-10s %-36s %9.2f %9.2f %7s %8s %8s %8.2f %8.2f %8.1f %8.1f %8s %5d ms\n", s, n, cw, tw, ratio, floor, fratio, cc, tc, cm / 1024, tm / 1024, fmem, ts
        }'
    rm -f "$work/curl.runs" "$work/tandrel.runs" "$work/floor.runs"
}

cout="$work/out/curl/big-1g.bin"
tout="$work/out/tandrel/big-1g.bin"
up_curl="$work/root/incoming/curl-up.bin"
up_tandrel="$work/root/incoming/up-1g.bin"
up_floor="$work/root/incoming/floor-up.bin"
# `bench/compare.sh N sftp` times the SFTP rows alone, `bench/compare.sh N tree` the tree rows.
[ "$only" = sftp ] && servers=()
if [ "$only" = tree ]; then
    tree_rows
    echo "medians of $pairs pairs; lftp's figures in the curl columns"
    exit 0
fi
for server in "${servers[@]}"; do
    port="${ports[$server]}"
    url="ftp://127.0.0.1:$port"
    args=(--host 127.0.0.1 --port "$port" --anonymous --timing --settings "$work/settings-$server")

    # Tandrel keeps its settings from run to run, as for a returning user: a first, untimed run
    # stores them (and the folder uploads come from), so that the timed runs read them and,
    # nothing having changed, write nothing. A row with another start folder is first run once
    # untimed for the same reason.
    untimed "$drive" "${args[@]}" cd incoming put "$work/src/prime.txt"
    rm -f "$work/root/incoming/prime.txt"

    # Download 1 GiB to a new file.
    for _ in $(seq "$pairs"); do
        rm -f "$cout" "$tout"
        sync
        timed "$work/curl.runs" curl -s -o "$cout" "$url/big-1g.bin"
        expect_size "$cout" $gib
        rm -f "$cout"
        sync
        timed "$work/tandrel.runs" "$drive" "${args[@]}" --download-folder "$work/out/tandrel" \
            get big-1g.bin
        expect_size "$tout" $gib
    done
    row "$server" "download 1 GiB, new file, clean"

    # Download 1 GiB over the previous run's file. Each timed run follows an untimed run of the
    # same program, so that the pages still going to the disk are its own previous file's, as
    # for a user who fetches the same file again; the other program's are synced first. (Timed
    # runs alone in turn would hand each Tandrel run the gigabyte curl left unsynced just before,
    # which the disk writes while Tandrel's fsync waits.)
    for _ in $(seq "$pairs"); do
        sync
        untimed curl -s -o "$cout" "$url/big-1g.bin"
        timed "$work/curl.runs" curl -s -o "$cout" "$url/big-1g.bin"
        expect_size "$cout" $gib
        sync
        untimed "$drive" "${args[@]}" --download-folder "$work/out/tandrel" get big-1g.bin
        timed "$work/tandrel.runs" "$drive" "${args[@]}" --download-folder "$work/out/tandrel" \
            get big-1g.bin
        expect_size "$tout" $gib
    done
    row "$server" "download 1 GiB, over previous, b2b"
    rm -f "$cout" "$tout"

    # Upload 1 GiB. A run is short, and its time swings with the server's writes to the disk
    # (some runs of every program wait on vsftpd's block allocation and write-back): three times
    # as many rounds, each program first, second and third in turn, so that neither the swing nor
    # the place in the round favours one of them.
    upload_curl()
    {
        rm -f "$up_curl"
        sync
        timed "$work/curl.runs" curl -s -T "$work/src/up-1g.bin" "$url/incoming/curl-up.bin"
        expect_size "$up_curl" $gib
    }
    upload_tandrel()
    {
        rm -f "$up_tandrel"
        sync
        timed "$work/tandrel.runs" "$drive" "${args[@]}" cd incoming put "$work/src/up-1g.bin"
        expect_size "$up_tandrel" $gib
    }
    upload_floor()
    {
        rm -f "$up_floor"
        sync
        timed "$work/floor.runs" "$floor" put "$work/src/up-1g.bin" "$url/incoming/floor-up.bin"
        expect_size "$up_floor" $gib
    }
    uploaders=(upload_curl upload_tandrel upload_floor)
    for round in $(seq 0 $((3 * pairs - 1))); do
        for at in 0 1 2; do
            "${uploaders[$(((round + at) % 3))]}"
        done
    done
    row "$server" "upload 1 GiB, clean"
    rm -f "$up_curl" "$up_tandrel" "$up_floor"

    # A folder of 100,000 entries: every row in the table.
    untimed "$drive" "${args[@]}" --dir big list
    for mode in clean b2b; do
        for _ in $(seq "$pairs"); do
            [ "$mode" = clean ] && sync
            timed "$work/curl.runs" curl -s "$url/big/"
            expect_rows . 100000 curl
            [ "$mode" = clean ] && sync
            timed "$work/tandrel.runs" "$drive" "${args[@]}" --dir big list
            expect_rows '^row' 100000 Tandrel
            [ "$mode" = clean ] && sync
            timed "$work/floor.runs" "$floor" list "$url/big/"
            expect_rows . 100000 "the floor"
        done
        row "$server" "list 100,000 entries, $mode"
    done

    # Start, connect and list a small folder.
    untimed "$drive" "${args[@]}" --dir small list
    for _ in $(seq "$pairs"); do
        timed "$work/curl.runs" curl -s "$url/small/"
        timed "$work/tandrel.runs" "$drive" "${args[@]}" --dir small list
        expect_rows '^row' 20 Tandrel
        timed "$work/floor.runs" "$floor" list "$url/small/"
        expect_rows . 20 "the floor"
    done
    row "$server" "start, connect, list 20 entries"
done
[ -z "$only" ] && tree_rows
# SFTP: the same process against OpenSSH's sshd (a configuration, host key and authorized key
# of its own in the work folder; internal-sftp), with the `curl` command and OpenSSH's own
# `sftp -b` in the floor's columns. Tandrel trusts the host key by its fingerprint in its
# untimed first run; curl and sftp are told not to check it. The transfers also time
# bench/sftp_floor, the least a client on libssh (not libcurl's libssh2) does, in turn with the
# others (uploads through Tandrel's own pipelined writer); its medians follow each row.
cmake --build "$build" --target sftp_floor >/dev/null
sfloor="$build/bench/sftp_floor"
# The floor prefers the cipher Tandrel prefers (AES-GCM on a CPU with AES instructions), and sends
# through Tandrel's writer with as many writes in flight as Tandrel keeps.
sciphers="aes128-gcm@openssh.com,aes256-gcm@openssh.com,chacha20-poly1305@openssh.com"
grep -qw aes /proc/cpuinfo || sciphers="chacha20-poly1305@openssh.com"
ssh_dir="$work/ssh"
mkdir -p "$work/root/ten-thousand"
for i in $(seq 10000); do : >"$work/root/ten-thousand/entry-$i.txt"; done
start_sshd "$ssh_dir"
user="$(id -un)"
fingerprint="$(ssh-keygen -lf "$ssh_dir/host.pub" | cut -d' ' -f2)"
surl="sftp://$user@127.0.0.1:$sport$work/root"
scurl=(curl -s -k --key "$ssh_dir/client")
ssftp=(sftp -q -b - -i "$ssh_dir/client" -P "$sport" -o StrictHostKeyChecking=no
       -o UserKnownHostsFile=/dev/null "$user@127.0.0.1")
sargs=(--protocol sftp --host 127.0.0.1 --port "$sport" --user "$user" --key "$ssh_dir/client"
       --trust-host-key "$fingerprint" --dir "$work/root" --timing --settings "$work/settings-sftp")
untimed "$drive" "${sargs[@]}" list
# The libssh floor's medians under the row, beside curl's and sftp -b's wall times.
libssh_row()
{
    local cw fw lw lc lm
    cw="$(cut -d' ' -f1 "$work/curl.runs" | median)"
    fw="$(cut -d' ' -f1 "$work/floor.runs" | median)"
    read -r lw lc lm _ < <(medians "$work/libssh.runs")
    row "$@"
    awk -v cw="$cw" -v fw="$fw" -v lw="$lw" -v lc="$lc" -v lm="$lm" 'BEGIN {
        printf "%-10s %-36s %9.2f s, %.2fx curl, %.2fx sftp -b; cpu %.2f s, %.1f MiB\n", "",
            "  libssh floor (bench/sftp_floor)", lw, lw / cw, lw / fw, lc, lm / 1024
    }'
    rm -f "$work/libssh.runs"
}
for _ in $(seq "$pairs"); do
    rm -f "$cout" "$tout" "$work/out/big-1g.bin"
    sync
    timed "$work/curl.runs" "${scurl[@]}" -o "$cout" "$surl/big-1g.bin"
    expect_size "$cout" $gib
    rm -f "$cout"
    sync
    timed "$work/floor.runs" "${ssftp[@]}" <<<"get $work/root/big-1g.bin $work/out/big-1g.bin"
    expect_size "$work/out/big-1g.bin" $gib
    rm -f "$work/out/big-1g.bin"
    sync
    timed "$work/libssh.runs" env CIPHERS="$sciphers" "$sfloor" get 127.0.0.1 "$sport" "$user" \
        "$ssh_dir/client" "$work/root/big-1g.bin" "$work/out/big-1g.bin"
    expect_size "$work/out/big-1g.bin" $gib
    rm -f "$work/out/big-1g.bin"
    sync
    timed "$work/tandrel.runs" "$drive" "${sargs[@]}" --download-folder "$work/out/tandrel" \
        get big-1g.bin
    expect_size "$tout" $gib
done
libssh_row sshd "sftp download 1 GiB (floor: sftp -b)"
rm -f "$cout" "$tout"
for _ in $(seq "$pairs"); do
    rm -f "$up_curl" "$up_tandrel" "$up_floor"
    sync
    timed "$work/curl.runs" "${scurl[@]}" -T "$work/src/up-1g.bin" "$surl/incoming/curl-up.bin"
    expect_size "$up_curl" $gib
    sync
    timed "$work/floor.runs" "${ssftp[@]}" <<<"put $work/src/up-1g.bin $up_floor"
    expect_size "$up_floor" $gib
    rm -f "$up_floor"
    sync
    timed "$work/libssh.runs" env CIPHERS="$sciphers" "$sfloor" putp 127.0.0.1 "$sport" "$user" \
        "$ssh_dir/client" "$up_floor" "$work/src/up-1g.bin" 8 245760
    expect_size "$up_floor" $gib
    sync
    timed "$work/tandrel.runs" "$drive" "${sargs[@]}" cd incoming put "$work/src/up-1g.bin"
    expect_size "$up_tandrel" $gib
done
libssh_row sshd "sftp upload 1 GiB (floor: sftp -b)"
rm -f "$up_curl" "$up_tandrel" "$up_floor"
for _ in $(seq "$pairs"); do
    timed "$work/curl.runs" "${scurl[@]}" "$surl/ten-thousand/"
    timed "$work/tandrel.runs" "$drive" "${sargs[@]}" cd ten-thousand
    expect_rows '^row' 10000 Tandrel
done
row sshd "sftp list 10,000 entries"

echo "medians of $pairs pairs (upload: $((3 * pairs)) rounds); ratio = Tandrel wall / curl wall; cpu = user + system seconds;" \
    "T stall = the longest event-loop stall of any Tandrel run; floor = bench/qt_floor, the least a" \
    "Qt Widgets window on libcurl does for the row (run in turn with the other two; floor x = its" \
    "wall / curl wall)"
