#!/usr/bin/env bash
# Runs the listing parser's fuzz target for a bounded time over the recorded listings.
#   run-fuzz.sh FUZZER SEED_DIR WORK_DIR SECONDS
# New inputs go to WORK_DIR/corpus (kept between runs), crashing ones to WORK_DIR/artifacts.
# Exits 77 (a skipped test for CTest) when the target was not built: it needs clang, and
# ./test.sh builds it in build-fuzz/ when clang++ is installed.
set -euo pipefail
fuzzer="$1" seeds="$2" work="$3" seconds="$4"
if [ ! -x "$fuzzer" ]; then
    echo "fuzz target not built: $fuzzer (run ./test.sh with clang++ installed)"
    exit 77
fi
mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds"
