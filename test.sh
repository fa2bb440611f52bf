#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer test build and runs every test.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

# ccache, where installed, makes a rebuild after a fresh clone take seconds instead of minutes.
# Paths are taken relative to the clone, so that another clone's objects serve this one too.
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1

# The listing parser's fuzz target needs clang's libFuzzer: its own build folder, only the one
# target. The test build below runs it.
if command -v clang++ >/dev/null 2>&1; then
    fuzz="$here/build-fuzz"
    if [ ! -f "$fuzz/CMakeCache.txt" ]; then
        cmake -S "$here" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_CXX_COMPILER=clang++ -DTANDREL_FUZZ=ON "${launcher[@]}" >/dev/null
    fi
    cmake --build "$fuzz" --target listing_parser_fuzz
fi

build="$here/build-test"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DTANDREL_TESTS=ON -DTANDREL_SANITIZE=ON "${launcher[@]}" >/dev/null
fi
cmake --build "$build"
# ProFTPD and pure-ftpd for the TLS tests, unpacked into the build (their tests say why they
# were skipped when this fails).
"$here/scripts/fetch-peers.sh" "$build/peers" || echo "ProFTPD and pure-ftpd could not be fetched"
cd "$build"
exec ctest --output-on-failure --timeout 300 -j2
