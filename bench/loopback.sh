# Shared by the benchmark scripts (sourced): the Release build, a work folder removed at exit, a
# free loopback port, and the configuration of an anonymous vsftpd on 127.0.0.1 that serves a
# folder and takes uploads (files and folders) into it.

free_port()
{
    /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# write_vsftpd_conf FILE PORT ROOT EMPTY: EMPTY is the empty folder vsftpd's chroot needs.
write_vsftpd_conf()
{
    cat >"$1" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$2
background=NO
anonymous_enable=YES
no_anon_password=YES
anon_root=$3
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_other_write_enable=YES
anon_mkdir_write_enable=YES
anon_umask=022
secure_chroot_dir=$4
seccomp_sandbox=NO
pasv_enable=YES
connect_from_port_20=NO
xferlog_enable=NO
syslog_enable=NO
CONF
    chmod 600 "$1"
}

# bench_build TARGET...: builds the targets in the Release build in build-bench (made at first
# use) and sets build to its folder.
bench_build()
{
    build="$here/build-bench"
    if [ ! -f "$build/CMakeCache.txt" ]; then
        local launcher=()
        command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTANDREL_BENCH=ON \
            "${launcher[@]}" >/dev/null
    fi
    cmake --build "$build" --target "$@" >/dev/null
}

# bench_work NAME: sets work to a new folder on the disk (writing a file back is part of what is
# measured), removed at exit, when the servers whose process ids were added to pids are stopped.
bench_work()
{
    work="$(mktemp -d "/var/tmp/tandrel-$1.XXXXXX")"
    chmod 755 "$work"
    pids=()
    trap bench_cleanup EXIT
}

bench_cleanup()
{
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}

# wait_for_port PORT: until something listens on it at 127.0.0.1, ten seconds at most.
wait_for_port()
{
    for _ in $(seq 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return
        sleep 0.1
    done
}

# start_sshd DIR: an sshd on a free loopback port (sets sport), with a host key, a configuration
# and an authorized key of its own in DIR (internal-sftp); DIR/client is the key it takes.
start_sshd()
{
    local dir="$1"
    mkdir -p "$dir" /run/sshd
    ssh-keygen -q -t ed25519 -N '' -f "$dir/host" && ssh-keygen -q -t ed25519 -N '' -f "$dir/client"
    cp "$dir/client.pub" "$dir/authorized_keys"
    sport="$(free_port)"
    cat >"$dir/sshd_config" <<CONF
ListenAddress 127.0.0.1
Port $sport
HostKey $dir/host
AuthorizedKeysFile $dir/authorized_keys
PidFile none
UsePAM no
StrictModes no
PermitRootLogin yes
Subsystem sftp internal-sftp
CONF
    /usr/sbin/sshd -D -e -f "$dir/sshd_config" >"$dir/sshd.log" 2>&1 &
    pids+=($!)
    wait_for_port "$sport"
}
