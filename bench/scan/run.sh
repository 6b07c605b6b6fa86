#!/usr/bin/env bash
# The scan benchmark: how long `vimbrel-cli scan --json` takes to find and size
# one application's remainders in a home of about a million entries, against a
# C reference scanner that does the same walk at the floor of the file system,
# and, for context, GNU find + du and fdfind + du doing the same job.
#
#   bench/scan/run.sh BUILD_DIR
#
# Environment (all optional):
#   VIMBREL_BENCH_DIR    where the demo home is kept between runs
#                        (default /tmp/vimbrel-bench-scale10)
#   VIMBREL_BENCH_SCALE  demo-home scale (default 10: 1,000,000 extra entries)
#   VIMBREL_BENCH_APP    bundle to scan, relative to Applications (default Tool.app)
#   VIMBREL_BENCH_RUNS   measured runs per command, after one warm-up (default 7)
#
# vimbrel-cli runs with its default thread count (the cores, at most 8) and,
# for comparison, with --jobs 1; strace, when installed, counts the
# file-system calls of both.
set -euo pipefail

build=${1:?usage: run.sh BUILD_DIR}
build=$(cd "$build" && pwd)
scale=${VIMBREL_BENCH_SCALE:-10}
data=${VIMBREL_BENCH_DIR:-/tmp/vimbrel-bench-scale$scale}
app_name=${VIMBREL_BENCH_APP:-Tool.app}
runs=${VIMBREL_BENCH_RUNS:-7}
login=bench

die() { printf 'bench/scan: %s\n' "$*" >&2; exit 1; }
note() { printf '%s\n' "$*" >&2; }

program() {
  local found
  found=$(find "$build" -type f -name "$1" -perm -u+x -not -path '*/CMakeFiles/*' | head -n 1)
  [ -n "$found" ] || die "$1 is not built in $build"
  printf '%s' "$found"
}
cli=$(program vimbrel-cli)
generator=$(program vimbrel-demohome)
reference=$(program bench_scan_reference)
record=$(program bench_scan_record)
command -v fdfind >/dev/null || die "fdfind is missing (Debian package fd-find)"
[ -x /usr/bin/time ] || die "/usr/bin/time is missing (Debian package time)"

# The demo home, generated once per scale and generator build: generation
# writes a million files and takes about a minute.
tree=$data/tree
marker=$data/generated
wanted="scale=$scale login=$login generator=$(sha256sum "$generator" | cut -d' ' -f1)"
if [ ! -f "$marker" ] || [ "$(head -n 1 "$marker")" != "$wanted" ]; then
  note "generating the demo home at --scale $scale in $tree (about a minute)"
  mkdir -p "$data"
  rm -f "$marker"
  "$generator" --out "$tree" --login "$login" --scale "$scale" >/dev/null
  { printf '%s\n' "$wanted"; find "$tree" | wc -l; } >"$marker"
fi
entries=$(sed -n 2p "$marker")
home=$tree/Users/$login
applications=$tree/Applications
bundle=$applications/$app_name
[ -d "$bundle" ] || die "no $app_name in $applications"

# The programs read no settings of the user's own: grants come from the
# command line, and the settings and data folders are empty ones.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

run_cli() {
  "$cli" --home "$home" --applications "$applications" --root "$tree" scan "$1" --json
}
reference_arguments() {
  mapfile -d '' record_args < <("$record" "$1")
  [ ${#record_args[@]} -gt 0 ] || die "cannot read the record of $1"
}
run_reference() {
  "$reference" --home "$home" --root "$tree" --applications "$applications" "${record_args[@]}" "$@"
}

# --- Agreement: the same locations with the same sizes, for every demo app.
note "checking that vimbrel-cli and the reference agree on every demo application"
disagreements=0
while IFS= read -r -d '' other; do
  reference_arguments "$other"
  run_reference --print | grep -v -E '^(matches|bytes) ' | LC_ALL=C sort >"$scratch/reference.txt"
  run_cli "$other" | jq -r '.groups[].entries[] | "\(.path)\t\(.size)"' |
    LC_ALL=C sort >"$scratch/cli.txt"
  if ! cmp -s "$scratch/reference.txt" "$scratch/cli.txt"; then
    disagreements=$((disagreements + 1))
    printf 'DISAGREE on %s (< reference, > vimbrel-cli):\n' "${other#"$applications"/}"
    diff "$scratch/reference.txt" "$scratch/cli.txt" | head -n 20 || true
  fi
  checked=$((${checked:-0} + 1))
done < <(find "$applications" -name '*.app' -prune -print0 | sort -z)
printf 'agreement: %d of %d demo applications give the same locations and sizes\n' \
  "$((checked - disagreements))" "$checked"

# --- The same job for find and fd: the search's folders, shallow or deep as
# the search lists them, names containing any of the record's values.
reference_arguments "$bundle"
declare -A value=()
for ((i = 0; i + 1 < ${#record_args[@]}; i += 2)); do
  value[${record_args[i]}]=${record_args[i + 1]}
done
needles=()
declare -A seen=()
for key in --label --label-name --bundle --bundle-name --bundle-name-info --executable; do
  v=${value[$key]:-}
  [ -n "$v" ] && [ -z "${seen[$v]:-}" ] && needles+=("$v") && seen[$v]=1
done
lib=$home/Library
shallow=() deep=()
for f in "$lib/Preferences" "$tree/Users/Shared" "$tree/Library/Application Support" \
  "$lib/Containers" "$lib/Saved Application State" "$lib/Caches" "$lib/Cookies" \
  "$lib/Application Scripts" "$lib/Group Containers" "$lib" "$lib/LaunchAgents" \
  "$tree/Library/LaunchAgents" "$tree/Library/LaunchDaemons" \
  "$tree/Library/PrivilegedHelperTools" "$lib/Application Support/CrashReporter" \
  "$lib/Logs/CSXS" "$lib/WebKit" "$lib/Address Book Plug-Ins" "$lib/Services" \
  "$home/Desktop" "$tree/var/run"; do
  [ -d "$f" ] && shallow+=("$f")
done
for f in "$lib/Application Support" "$lib/Caches/com.apple.helpd" "$lib/Logs" \
  "$tree/Library/Logs" "$tree/var/folders" "$tree/var/db"; do
  [ -d "$f" ] && deep+=("$f")
done
find_names=() fd_pattern=
for v in "${needles[@]}"; do
  [ ${#find_names[@]} -gt 0 ] && find_names+=(-o)
  find_names+=(-iname "*$v*")
  fd_pattern+=${fd_pattern:+|}$(printf '%s' "$v" | sed 's/[][\.*^$()+?{}|]/\\&/g')
done
run_find() {
  {
    find "${shallow[@]}" -mindepth 1 -maxdepth 1 -name '.*' -prune -o \( "${find_names[@]}" \) -print0
    find "${deep[@]}" -mindepth 1 -name '.*' -prune -o \( "${find_names[@]}" \) -print0
    printf '%s\0' "$bundle"
  } | du -sbc --files0-from=- | tail -n 1
}
run_fd() {
  {
    fdfind -0 -i -I --max-depth 1 "$fd_pattern" "${shallow[@]}"
    fdfind -0 -i -I "$fd_pattern" "${deep[@]}"
    printf '%s\0' "$bundle"
  } | du -sbc --files0-from=- | tail -n 1
}
# --- Timing: one warm-up round, then $runs measured rounds. Each round runs
# every command once, in turn, so that load from elsewhere on the machine falls
# on all of them alike. Wall time of each run, its processor time (user +
# system, steadier than wall time on a busy machine), and the peak resident
# memory (GNU time's %M; for a pipeline, its largest process).
declare -A command=() times=() cpu_times=() median=() cpu_median=() memory=()
names=(reference cli cli1 find fd)
command[reference]=$(printf '%q ' "$reference" --home "$home" --root "$tree" \
  --applications "$applications" "${record_args[@]}")
command[cli]=$(printf '%q ' "$cli" --home "$home" --applications "$applications" --root "$tree" \
  scan "$bundle" --json)
command[cli1]=$(printf '%q ' "$cli" --home "$home" --applications "$applications" --root "$tree" \
  --jobs 1 scan "$bundle" --json)
# find and fd run in a shell that is handed the folder lists.
command[find]=$(printf '%q ' bash -c \
  "$(declare -p shallow deep find_names bundle); $(declare -f run_find); run_find")
command[fd]=$(printf '%q ' bash -c \
  "$(declare -p shallow deep fd_pattern bundle); $(declare -f run_fd); run_fd")
note "timing (1 warm-up round + $runs rounds)"
for ((round = 0; round <= runs; round++)); do
  for name in "${names[@]}"; do
    start=$(date +%s%N)
    eval "/usr/bin/time -f '%M %U %S' -o \"\$scratch/memory\" ${command[$name]}" \
      >"$scratch/out-$name"
    end=$(date +%s%N)
    read -r kb user system < <(tail -n 1 "$scratch/memory")
    [ "$kb" -gt "${memory[$name]:-0}" ] && memory[$name]=$kb
    if [ "$round" -gt 0 ]; then
      times[$name]+="$((end - start)) "
      cpu_times[$name]+="$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%d", (u + s) * 1e9 }') "
    fi
  done
done
median_of() {
  printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {
    print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2) }'
}
for name in "${names[@]}"; do
  # shellcheck disable=SC2086
  median[$name]=$(median_of ${times[$name]})
  # shellcheck disable=SC2086
  cpu_median[$name]=$(median_of ${cpu_times[$name]})
  note "  $name: $(printf '%s' "${times[$name]}" | awk '{for (i = 1; i <= NF; i++) printf "%.3f ", $i / 1e9}')s"
done

ref_matches=$(awk '/^matches/ {print $2}' "$scratch/out-reference")
ref_bytes=$(awk '/^bytes/ {print $2}' "$scratch/out-reference")
cli_matches=$(jq '[.groups[].entries[]] | length' "$scratch/out-cli")
# The reference adds up every listed location's size, a folder and the
# entries listed inside it alike; compare that sum. The total the program
# shows counts each byte once, and is printed beside it.
cli_bytes=$(jq '[.groups[].entries[].size] | add' "$scratch/out-cli")
cli_total=$(jq '.total' "$scratch/out-cli")

printf '\nscan of %s, demo home at --scale %s (%s entries), median of %d warm runs\n' \
  "$app_name" "$scale" "$entries" "$runs"
printf '%-26s %8s %6s %8s %6s %9s %8s %12s\n' "" "wall s" "x ref" "cpu s" "x ref" \
  "peak MiB" "matches" "bytes"
row() {  # name, label, matches, bytes
  awk -v label="$2" -v t="${median[$1]}" -v r="${median[reference]}" \
    -v c="${cpu_median[$1]}" -v rc="${cpu_median[reference]}" -v m="${memory[$1]}" \
    -v n="$3" -v b="$4" 'BEGIN {
      printf "%-26s %8.3f %6.2f %8.3f %6.2f %9.1f %8s %12s\n",
        label, t / 1e9, t / r, c / 1e9, (rc > 0 ? c / rc : 0), m / 1024, n, b }'
}
row reference "reference scanner (C)" "$ref_matches" "$ref_bytes"
row cli "vimbrel-cli scan --json" "$cli_matches" "$cli_bytes"
row cli1 "  the same with --jobs 1" "$(jq '[.groups[].entries[]] | length' "$scratch/out-cli1")" \
  "$(jq '[.groups[].entries[].size] | add' "$scratch/out-cli1")"
row find "find -iname + du -sb" "-" "$(cut -f1 "$scratch/out-find")"
row fd "fdfind + du -sb" "-" "$(cut -f1 "$scratch/out-fd")"
printf '(find and fd sizes come from du, which counts folders and each inode once: context only)\n'

# The file-system calls of one search, all threads counted: the threads must
# not add any to what one thread makes.
fs_calls() {
  strace -f -c -e trace=openat,openat2,getdents64,newfstatat,statx -o "$scratch/strace" "$@" \
    >/dev/null
  awk '$NF ~ /^(openat|openat2|getdents64|newfstatat|statx)$/ { n += $4 } END { print n + 0 }' \
    "$scratch/strace"
}
if command -v strace >/dev/null; then
  calls_cli=$(eval "fs_calls ${command[cli]}")
  calls_cli1=$(eval "fs_calls ${command[cli1]}")
  calls_ok=$([ "$calls_cli" -le "$calls_cli1" ] && echo 1 || echo 0)
  printf 'file-system calls (openat, openat2, getdents64, fstatat, statx): %s with %s threads, %s with --jobs 1\n' \
    "$calls_cli" "$(nproc)" "$calls_cli1"
fi
# Cmp the outputs: the threads give the one-thread result byte for byte.
same_output=$(cmp -s "$scratch/out-cli" "$scratch/out-cli1" && echo 1 || echo 0)

verdict() { [ "$1" -eq 1 ] && printf 'met' || printf 'MISSED'; }
ratio_ok=$(awk -v t="${median[cli]}" -v r="${median[reference]}" 'BEGIN { print (t <= 0.7 * r) }')
cpu_ratio_ok=$(awk -v t="${cpu_median[cli]}" -v r="${cpu_median[reference]}" \
  'BEGIN { print (t <= 1.3 * r) }')
memory_ok=$(awk -v m="${memory[cli]}" 'BEGIN { print (m <= 16 * 1024) }')
printf '(vimbrel-cli total shown to the user, each byte once: %s bytes)\n' "$cli_total"
agree=$([ "$ref_matches" = "$cli_matches" ] && [ "$ref_bytes" = "$cli_bytes" ] && echo 1 || echo 0)
printf 'targets: wall time <= 0.7x reference: %s (processor time, all threads, <= 1.3x: %s); ' \
  "$(verdict "$ratio_ok")" "$(verdict "$cpu_ratio_ok")"
printf 'peak memory <= 16 MiB: %s; results agree: %s; same output as --jobs 1: %s' \
  "$(verdict "$memory_ok")" "$(verdict "$agree")" "$(verdict "$same_output")"
[ -n "${calls_ok:-}" ] && printf '; no more file-system calls than --jobs 1: %s' "$(verdict "$calls_ok")"
printf '\n'
printf '(wall time shares the machine: on a busy machine, threads wait for cores like any other program)\n'
[ "$agree" -eq 1 ] && [ "$disagreements" -eq 0 ] && [ "$same_output" -eq 1 ] ||
  die "vimbrel-cli and the reference disagree"
