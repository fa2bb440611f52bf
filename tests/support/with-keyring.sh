#!/bin/sh
# Runs a command with a keyring of its own: gnome-keyring (its Secret Service only) in a private
# D-Bus session, unlocked with a test password, its files in a throwaway folder. The user's
# session bus and keyring are never reached.
set -eu
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 0700 "$scratch/data" "$scratch/runtime" "$scratch/cache"
export XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/runtime" XDG_CACHE_HOME="$scratch/cache"
export TANDREL_PRIVATE_KEYRING=1
dbus-run-session -- sh -c '
    printf test-password | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    "$@"' sh "$@"
