#!/usr/bin/env bash
# Peak memory over SFTP against FTP for the same work: the whole tandrel-drive process (a
# returning user: start, connect, the step, exit) against a loopback vsftpd and a loopback sshd
# (internal-sftp), and bench/protocol_floor, the least a client on the same libraries does for
# the same step, over both, all four in turn; and Tandrel over FTP with explicit TLS (a second
# vsftpd on the same files), the encrypted FTP. Prints the medians of the peaks (/usr/bin/time's
# maximum resident set) and each one's SFTP minus FTP: what the floor's difference shows is the
# libraries' own, under any client built on them.
#   bench/compare-memory.sh [rounds] (default 5; the transfers move 256 MiB)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rounds="${1:-5}"
source "$here/scripts/packages.sh"
source "$here/bench/loopback.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "compare-memory.sh runs vsftpd, which needs root" >&2
    exit 1
fi

bench_build tandrel-drive protocol_floor
drive="$build/tools/tandrel-drive"
floor="$build/bench/protocol_floor"

bench_work memory

root="$work/root"
mkdir -p "$root/small" "$root/ten-thousand" "$root/incoming" "$work/empty" "$work/out"
chmod 755 "$root" "$root/small" "$root/ten-thousand" "$work/empty"
chmod 777 "$root/incoming"
chown ftp "$root/incoming"
head -c 256M /dev/urandom >"$root/big.bin"
chmod 644 "$root/big.bin"
cp "$root/big.bin" "$work/up.bin"
for i in $(seq 20); do : >"$root/small/note-$i.txt"; done
for i in $(seq 10000); do : >"$root/ten-thousand/entry-$i.txt"; done

fport="$(free_port)"
write_vsftpd_conf "$work/vsftpd.conf" "$fport" "$root" "$work/empty"
/usr/sbin/vsftpd "$work/vsftpd.conf" >"$work/vsftpd.log" 2>&1 &
pids+=($!)
tport="$(free_port)"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/tls.key" -out "$work/tls.crt" -days 1 \
    -subj /CN=127.0.0.1 2>/dev/null
write_vsftpd_conf "$work/vsftpd-tls.conf" "$tport" "$root" "$work/empty"
cat >>"$work/vsftpd-tls.conf" <<CONF
ssl_enable=YES
allow_anon_ssl=YES
force_anon_logins_ssl=YES
force_anon_data_ssl=YES
require_ssl_reuse=NO
rsa_cert_file=$work/tls.crt
rsa_private_key_file=$work/tls.key
CONF
/usr/sbin/vsftpd "$work/vsftpd-tls.conf" >"$work/vsftpd-tls.log" 2>&1 &
pids+=($!)
start_sshd "$work/ssh"
for port in "$fport" "$tport"; do
    wait_for_port "$port"
done

user="$(id -un)"
fingerprint="$(ssh-keygen -lf "$work/ssh/host.pub" | cut -d' ' -f2)"
fargs=(--host 127.0.0.1 --port "$fport" --anonymous --settings "$work/settings-ftp")
certificate="$(openssl x509 -in "$work/tls.crt" -noout -fingerprint -sha256 | cut -d= -f2)"
targs=(--host 127.0.0.1 --port "$tport" --anonymous --encryption require
       --trust-fingerprint "$certificate" --settings "$work/settings-tls")
sargs=(--protocol sftp --host 127.0.0.1 --port "$sport" --user "$user" --key "$work/ssh/client"
       --trust-host-key "$fingerprint" --dir "$root" --settings "$work/settings-sftp")
login=(127.0.0.1 "$sport" "$user" "$work/ssh/client")
# Each one's settings are kept from the first, unmeasured run on: a returning user.
"$drive" "${fargs[@]}" list >/dev/null 2>&1
"$drive" "${targs[@]}" list >/dev/null 2>&1
"$drive" "${sargs[@]}" list >/dev/null 2>&1

# peak FILE CMD...: runs CMD under /usr/bin/time, appends its peak (KiB) to FILE.
peak()
{
    local into="$1"
    shift
    rm -f "$work/out/big.bin" "$root/incoming/up.bin"
    /usr/bin/time -f "%M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
        echo "failed: $*" >&2
        tail -n 5 "$work/stderr" >&2
        exit 1
    }
    cat "$work/time" >>"$into"
}

median()
{
    sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

printf '%-20s %10s %10s %9s   %10s %10s %9s   %-12s %s\n' work "T ftp MiB" "T sftp MiB" "T gap" \
    "floor ftp" "floor sftp" "floor gap" "T beyond it" "T ftp+tls"
for step in small ten-thousand download upload; do
    case "$step" in
        small | ten-thousand)
            tstep=(cd "$step" list)
            ffloor=(ftp list "ftp://127.0.0.1:$fport/$step/")
            sfloor=(sftp list "${login[@]}" "$root/$step") ;;
        download)
            tstep=(--download-folder "$work/out" get big.bin)
            ffloor=(ftp get "ftp://127.0.0.1:$fport/big.bin" "$work/out/big.bin")
            sfloor=(sftp get "${login[@]}" "$root/big.bin" "$work/out/big.bin") ;;
        upload)
            tstep=(cd incoming put "$work/up.bin")
            ffloor=(ftp put "ftp://127.0.0.1:$fport/incoming/up.bin" "$work/up.bin")
            sfloor=(sftp put "${login[@]}" "$root/incoming/up.bin" "$work/up.bin") ;;
    esac
    rm -f "$work"/*.peaks
    for _ in $(seq "$rounds"); do
        peak "$work/tf.peaks" "$drive" "${fargs[@]}" "${tstep[@]}"
        peak "$work/ts.peaks" "$drive" "${sargs[@]}" "${tstep[@]}"
        peak "$work/ff.peaks" "$floor" "${ffloor[@]}"
        peak "$work/fs.peaks" "$floor" "${sfloor[@]}"
        peak "$work/tt.peaks" "$drive" "${targs[@]}" "${tstep[@]}"
    done
    awk -v w="$step" -v tf="$(median "$work/tf.peaks")" -v ts="$(median "$work/ts.peaks")" \
        -v ff="$(median "$work/ff.peaks")" -v fs="$(median "$work/fs.peaks")" \
        -v tt="$(median "$work/tt.peaks")" 'BEGIN {
        printf "%-20s %10.2f %10.2f %+9.2f   %10.2f %10.2f %+9.2f   %+12.2f %9.2f\n", w, tf / 1024,
            ts / 1024, (ts - tf) / 1024, ff / 1024, fs / 1024, (fs - ff) / 1024,
            ((ts - tf) - (fs - ff)) / 1024, tt / 1024
    }'
done
echo "medians of $rounds rounds in turn; MiB; gap = SFTP minus FTP (the target: Tandrel's gap at most 0)"
