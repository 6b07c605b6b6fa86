#!/usr/bin/env bash
# Runs the analytics queue benchmark of a build folder: the cost of addEvent
# with 0, 1,000 and 10,000 events pending, and of loading 1,000, 10,000 and
# 100,000 pending events at start.
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR}
program=$(find "$build" -type f -name bench_ravell_queue -perm -u+x | head -n 1)
[ -n "$program" ] || { echo "bench_ravell_queue not built in $build" >&2; exit 1; }
"$program" --benchmark_min_time=1
