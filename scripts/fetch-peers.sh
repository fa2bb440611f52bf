#!/usr/bin/env bash
# Unpacks the test peers that cannot be installed beside vsftpd (ProFTPD with mod_tls and
# pure-ftpd all provide ftp-server) into a folder of the build: their Debian packages and the
# libraries ProFTPD needs, fetched with apt-get download and unpacked with dpkg -x. Nothing is
# installed and nothing is fetched again once the folder holds them.
# Usage: scripts/fetch-peers.sh FOLDER
set -euo pipefail
mkdir -p "${1:?usage: fetch-peers.sh FOLDER}"
dest="$(cd "$1" && pwd)"
packages=(proftpd-core proftpd-mod-crypto pure-ftpd libmemcached11 libmemcachedutil2 libhashkit2
          libpcre2-posix3)
[ -x "$dest/root/usr/sbin/proftpd" ] && [ -x "$dest/root/usr/sbin/pure-ftpd" ] &&
    [ -f "$dest/root/usr/lib/proftpd/mod_tls.so" ] && exit 0

mkdir -p "$dest/debs"
cd "$dest/debs"
# apt-get download drops to the _apt user, which must be able to write here.
chmod 0777 . 2>/dev/null || true
if ! apt-get download "${packages[@]}" >/dev/null 2>&1; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    apt-get download "${packages[@]}" >/dev/null
fi
rm -rf "$dest/root"
for deb in ./*.deb; do
    dpkg -x "$deb" "$dest/root"
done
