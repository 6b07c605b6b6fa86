#!/usr/bin/env bash
# The agent benchmark: how long vimbrel-spider takes from an application's
# arrival in the Trash to its leftovers gone, in a home of about a million
# entries, with the machine idle and with a CPU-bound load on every core (the
# agent's cleaning runs at the lowest normal priority, and must still end).
#
#   bench/spider/run.sh BUILD_DIR
#
# Environment (all optional):
#   VIMBREL_BENCH_DIR    where the demo home is kept between runs
#                        (default /tmp/vimbrel-agent-bench-scale10)
#   VIMBREL_BENCH_SCALE  demo-home scale (default 10: 1,000,000 extra entries)
#   VIMBREL_BENCH_APP    bundle to trash, relative to Applications (default Tool.app)
#   VIMBREL_BENCH_RUNS   runs per condition (default 3)
#   VIMBREL_BENCH_LIMIT  seconds a cleaning may take before the run fails (default 60)
set -euo pipefail

build=${1:?usage: run.sh BUILD_DIR}
build=$(cd "$build" && pwd)
scale=${VIMBREL_BENCH_SCALE:-10}
data=${VIMBREL_BENCH_DIR:-/tmp/vimbrel-agent-bench-scale$scale}
app_name=${VIMBREL_BENCH_APP:-Tool.app}
runs=${VIMBREL_BENCH_RUNS:-3}
limit=${VIMBREL_BENCH_LIMIT:-60}
# The agent cleans only the home of the user it runs as.
login=$(id -un)

die() { printf 'bench/spider: %s\n' "$*" >&2; exit 1; }
note() { printf '%s\n' "$*" >&2; }

program() {
  local found
  found=$(find "$build" -type f -name "$1" -perm -u+x -not -path '*/CMakeFiles/*' | head -n 1)
  [ -n "$found" ] || die "$1 is not built in $build"
  printf '%s' "$found"
}
cli=$(program vimbrel-cli)
agent=$(program vimbrel-spider)
generator=$(program vimbrel-demohome)
command -v jq >/dev/null || die "jq is missing"

tree=$data/tree
marker=$data/generated
wanted="scale=$scale login=$login generator=$(sha256sum "$generator" | cut -d' ' -f1)"
if [ ! -f "$marker" ] || [ "$(head -n 1 "$marker")" != "$wanted" ]; then
  note "generating the demo home at --scale $scale in $tree (a minute or more)"
  mkdir -p "$data"
  rm -f "$marker"
  "$generator" --out "$tree" --login "$login" --scale "$scale" >/dev/null
  printf '%s\n' "$wanted" >"$marker"
fi
home=$tree/Users/$login
applications=$tree/Applications
trash=$home/.Trash
bundle=$applications/$app_name
[ -d "$bundle" ] || die "no $app_name in $applications"
mkdir -p "$trash"

scratch=$(mktemp -d)
agent_pid= load_pids=()
cleanup() {
  [ -n "$agent_pid" ] && kill "$agent_pid" 2>/dev/null && wait "$agent_pid" 2>/dev/null
  for pid in "${load_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -d "$trash/$app_name" ] && [ ! -e "$bundle" ] && mv "$trash/$app_name" "$bundle"
  [ -f "$scratch/leftovers.tar" ] && tar -C / -xf "$scratch/leftovers.tar" --skip-old-files
  rm -rf "$scratch"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
# No session bus: no single-instance check and no notifications.
export DBUS_SESSION_BUS_ADDRESS=disabled: QT_QPA_PLATFORM=offscreen

"$cli" grant home "$home" --agent >/dev/null
"$cli" grant applications "$applications" --agent >/dev/null
"$cli" grant root "$tree" --agent >/dev/null

# What the agent is to remove: the entries the search marks as certainly the
# application's own (the agent leaves the rest for review). Kept in an
# archive, put back after every run.
"$cli" --home "$home" --applications "$applications" --root "$tree" scan "$bundle" --json |
  jq -r --arg bundle "$bundle" \
    '.groups[].entries[] | select(.path != $bundle and .certain) | .path' \
    >"$scratch/leftovers"
mapfile -t leftovers <"$scratch/leftovers"
[ ${#leftovers[@]} -gt 0 ] || die "$app_name leaves nothing behind"
tar -C / -cf "$scratch/leftovers.tar" "${leftovers[@]#/}"
note "$app_name: ${#leftovers[@]} leftovers to remove"

now() { date +%s%N; }
# One run: start the agent, trash the bundle, and time the first and the last
# leftover going; then put everything back.
measure() {
  "$agent" >"$scratch/agent.log" 2>&1 &
  agent_pid=$!
  sleep 2  # the agent takes its snapshot of the Trash
  local start first= last= deadline remaining
  start=$(now)
  deadline=$((start + limit * 1000000000))
  mv "$bundle" "$trash/$app_name"
  while :; do
    remaining=0
    for path in "${leftovers[@]}"; do [ -e "$path" ] || [ -L "$path" ] && remaining=$((remaining + 1)); done
    [ -z "$first" ] && [ "$remaining" -lt ${#leftovers[@]} ] && first=$(now)
    [ "$remaining" -eq 0 ] && last=$(now) && break
    [ "$(now)" -gt "$deadline" ] && break
    sleep 0.02
  done
  kill "$agent_pid" 2>/dev/null && wait "$agent_pid" 2>/dev/null || true
  agent_pid=
  mv "$trash/$app_name" "$bundle"
  tar -C / -xf "$scratch/leftovers.tar" --skip-old-files
  [ -n "$last" ] || { printf 'not done within %ss\n' "$limit"; return 1; }
  awk -v s="$start" -v f="$first" -v l="$last" 'BEGIN { printf "%.2f %.2f\n", (f - s) / 1e9, (l - s) / 1e9 }'
}

median() { sort -n | awk '{a[NR] = $1} END { print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2) }'; }
report() {  # label, file of "first last" lines
  printf '%-34s first gone %6.2f s, all gone %6.2f s (median of %d; runs: %s)\n' "$1" \
    "$(cut -d' ' -f1 "$2" | median)" "$(cut -d' ' -f2 "$2" | median)" "$(wc -l <"$2")" \
    "$(tr '\n' ';' <"$2")"
}

failed=0
note "idle: $runs runs"
for ((i = 0; i < runs; i++)); do measure >>"$scratch/idle" || failed=1; done
cores=$(nproc)
note "under load (a busy loop on each of $cores cores): $runs runs"
for ((c = 0; c < cores; c++)); do
  (while :; do :; done) &
  load_pids+=($!)
done
for ((i = 0; i < runs; i++)); do measure >>"$scratch/loaded" || failed=1; done
for pid in "${load_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
load_pids=()

printf '\nagent cleaning of %s (%d leftovers), demo home at --scale %s, Trash arrival to leftovers gone (includes the watcher'"'"'s settle of about 1.2 s)\n' \
  "$app_name" "${#leftovers[@]}" "$scale"
report "idle" "$scratch/idle"
report "CPU-bound load on every core" "$scratch/loaded"
[ "$failed" -eq 0 ] || die "a cleaning did not end within ${limit}s"
printf 'target: every cleaning ends within %ss under load: met\n' "$limit"
