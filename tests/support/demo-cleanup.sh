#!/usr/bin/env bash
# Runs the demo script with stand-ins for Tandrel that quit at once, fail, and are stopped by a
# signal, and checks that each run leaves nothing in the temporary folder.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failed=0
for app in /bin/true /bin/false "/bin/sh -c 'kill -TERM \$PPID; sleep 5'"; do
    printf '#!/bin/sh\nexec %s\n' "$app" >"$tmp/app"
    chmod +x "$tmp/app"
    mkdir "$tmp/t"
    TMPDIR="$tmp/t" timeout 30 "$here/scripts/demo.sh" "$tmp/app" >/dev/null 2>&1
    if [ -n "$(ls -A "$tmp/t")" ]; then
        echo "demo.sh with '$app' left: $(ls -A "$tmp/t")"
        failed=1
    fi
    rm -rf "$tmp/t"
done
exit $failed
