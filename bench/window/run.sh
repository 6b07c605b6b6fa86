#!/usr/bin/env bash
# The window's benchmarks: the applications list with 1,000 applications and
# the main-thread stall probe during a review of the scale-10 demo home.
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR}
for name in bench_window_list bench_window_review bench_window_rows; do
  program=$(find "$build" -type f -name "$name" -perm -u+x | head -n 1)
  [ -n "$program" ] || { echo "$name not built in $build" >&2; exit 1; }
  QT_QPA_PLATFORM=offscreen "$program" 2> >(grep -v 'XDG_RUNTIME_DIR\|This plugin' >&2)
done
