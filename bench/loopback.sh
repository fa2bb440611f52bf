# Shared by the benchmark scripts (sourced): a free loopback port, and the configuration of an
# anonymous vsftpd on 127.0.0.1 that serves a folder and takes uploads (files and folders) into
# it.

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
