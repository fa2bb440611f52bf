#!/usr/bin/env bash
# Starts a local demo FTP server (pyftpdlib on 127.0.0.1) over a generated sample tree, then
# Tandrel with a throwaway settings folder pointed at it (anonymous login). The server stops
# when Tandrel quits.   Usage: scripts/demo.sh path/to/tandrel [tandrel arguments]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
app="$1"
shift

work="$(mktemp -d -t tandrel-demo.XXXXXX)"
server=""
# Runs on every way out. The server dies of the TERM sent here, so its wait returns 143: under
# set -e that status must not end the clean-up before the folder is gone.
cleanup()
{
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

/usr/bin/python3 "$here/scripts/make-demo-tree.py" "$work/root"
/usr/bin/python3 "$here/tests/support/ftpserver.py" --root "$work/root" --port 0 \
    --anonymous-write --read-only read-only --quiet >"$work/server.out" 2>"$work/server.log" &
server=$!

port=""
for _ in $(seq 100); do
    port="$(sed -n 's/^PORT \([0-9]*\)$/\1/p' "$work/server.out" | head -n 1)"
    [ -n "$port" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$port" ]; then
    echo "The demo server did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
fi

mkdir -p "$work/config/tandrel"
cat >"$work/config/tandrel/tandrel.json" <<JSON
{
    "Host": "127.0.0.1", "Port": "$port", "Directory": "", "Passive": 1,
    "Anonymous": 1, "User": "anonymous", "Password": "",
    "UseProxy": 0, "ProxyHost": "", "ProxyPort": "", "ProxyUser": "", "ProxyPassword": ""
}
JSON
chmod 600 "$work/config/tandrel/tandrel.json"
echo "Demo server on ftp://127.0.0.1:$port/ (anonymous); press Connect."
XDG_CONFIG_HOME="$work/config" "$app" "$@"
