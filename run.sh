#!/usr/bin/env bash
# Installs what is missing, builds Tandrel (Release) and starts it.
#   ./run.sh          start Tandrel
#   ./run.sh --demo   start it against a local demo server with a throwaway settings folder
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"

build="$here/build"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build"

if [ "${1:-}" = "--demo" ]; then
    shift
    exec "$here/scripts/demo.sh" "$build/tandrel" "$@"
fi
exec "$build/tandrel" "$@"
