# Shared by the transfer benchmarks (sourced): a work folder (and a tmpfs folder for downloads
# when there is one), sparse 1 GiB and 100 MiB files, and a loopback FTP server over them:
# vsftpd where it can run, else pyftpdlib. Sets work, out, port, url, server, server_pid and
# upload_dir (the writable folder below the root, "" for the root itself); stops the server and
# removes the folders on exit.
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
source "$here/bench/loopback.sh"


mkdir -p "$work/root/incoming" "$work/empty" "$out"
chmod 755 "$work/root" "$work/empty"
# Sparse sources: the disk is not what is measured.
truncate -s 1G "$work/root/big-1g.bin"
truncate -s 100M "$work/root/big-100m.bin"
chmod 644 "$work/root/"*.bin

port="$(free_port)"
if [ "$(id -u)" -eq 0 ] && [ -x /usr/sbin/vsftpd ]; then
    chown ftp "$work/root/incoming"
    write_vsftpd_conf "$work/vsftpd.conf" "$port" "$work/root" "$work/empty"
    /usr/sbin/vsftpd "$work/vsftpd.conf" >"$work/server.log" 2>&1 &
    server_pid=$!
    server=vsftpd
    upload_dir=incoming
else
    /usr/bin/python3 "$here/tests/support/ftpserver.py" --root "$work/root" --port "$port" \
        --anonymous-write --quiet >"$work/server.log" 2>&1 &
    server_pid=$!
    server=pyftpdlib
    upload_dir=""
fi
for _ in $(seq 50); do
    curl -s -o /dev/null "ftp://127.0.0.1:$port/" && break
    sleep 0.1
done
url="ftp://127.0.0.1:$port"
echo "server: $server on $url; downloads written to $out; fastest of $runs runs"
