#!/usr/bin/env bash
# Runs every `sh` block of the README as written, in order, in a scratch
# folder that holds the build as build/default, with HOME, the XDG folders and
# a session bus of its own, and checks what each block did.
#   readme_examples_test.sh README BUILD_DIR VERSION
set -euo pipefail

readme=$1 build=$2 version=$3
scratch=$(mktemp -d)
bus_pid=""
cleanup() {
  # An agent a failed block left running quits with the bus it is on.
  [[ -z $bus_pid ]] || kill "$bus_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

work=$scratch/work
mkdir -p "$work/build" "$scratch/home" "$scratch/config" "$scratch/data" "$scratch/runtime"
chmod 700 "$scratch/runtime"
ln -s "$build" "$work/build/default"
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data \
  XDG_RUNTIME_DIR=$scratch/runtime
unset DISPLAY WAYLAND_DISPLAY
# The agent is a Qt program; without a display it draws offscreen.
export QT_QPA_PLATFORM=offscreen
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
bus_pid=$(sed -n 2p <<<"$bus")

# The blocks, one file each.
awk -v dir="$scratch" '
  /^```sh[[:space:]]*$/ { n++; file = sprintf("%s/block-%02d.sh", dir, n); inside = 1; next }
  /^```/ && inside { inside = 0; close(file); next }
  inside { print > file }
' "$readme"
blocks=("$scratch"/block-*.sh)
[[ -e ${blocks[0]} ]] || { echo "the README has no sh block" >&2; exit 1; }

failures=0
fail() { printf 'FAIL (%s): %s\n' "$name" "$*" >&2; failures=$((failures + 1)); }
login=$(id -un)
cli=$work/build/default/tools/cli/vimbrel-cli
agent_settings=$work/.demo/config/vimbrel/com.Orvik.Seltan.Vimbrel-Spider.plist

remove_count() {
  [[ -e $agent_settings ]] || { echo 0; return; }
  plistutil -i "$agent_settings" -f xml |
    sed -n '/<key>remove_app_count<\/key>/{n;s/.*<integer>\([0-9]*\)<\/integer>.*/\1/p}' |
    grep . || echo 0
}
notarius_leftovers() {
  XDG_CONFIG_HOME=$work/.demo/config "$cli" scan "$1" --json |
    jq -r '.groups[].entries[] | select(.certain) | .path' || true
}
agent_running() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:com.Orvik.Seltan.Vimbrel-Spider | grep -q 'boolean true'
}

for block in "${blocks[@]}"; do
  name=$(basename "$block" .sh)
  text=$(cat "$block")
  checked=0
  before_count="" before_leftovers=""
  if [[ $text == *"vimbrel-spider &"* ]]; then
    before_count=$(remove_count)
    before_leftovers=$(cd "$work" && notarius_leftovers .demo/root/Applications/Notarius.app)
    [[ -n $before_leftovers ]] || fail "Notarius has no leftovers before the agent block"
  fi

  status=0
  (cd "$work" && timeout 120 bash -e "$block") >"$scratch/$name.out" 2>"$scratch/$name.err" || status=$?
  out=$(cat "$scratch/$name.out") err=$(cat "$scratch/$name.err")
  if [[ $status -ne 0 ]]; then
    fail "exit status $status; standard error: $err"
  fi
  grep -q 'ignoring XDG_' <<<"$err" && fail "a settings folder was ignored: $err"

  if [[ $text == *vimbrel-demohome* ]]; then
    checked=1
    [[ -d $work/.demo/root/Applications/Tool.app ]] || fail "no demo home"
    [[ -f $work/.demo/config/vimbrel/com.Orvik.Seltan.Vimbrel.plist ]] || fail "no demo grants"
  fi
  if [[ $text == *"cmake --install"* ]]; then
    checked=1
    for path in bin/vimbrel bin/vimbrel-spider share/man/man1/vimbrel-cli.1.gz \
      share/applications/com.Orvik.Seltan.Vimbrel.desktop; do
      [[ -e $HOME/.local/$path ]] || fail "cmake --install put no $path into the prefix"
    done
  fi
  if [[ $text == *--version* ]]; then
    checked=1
    grep -qx "vimbrel-cli $version" <<<"$out" || fail "no version line: $out"
  fi
  if [[ $text == *"vimbrel-cli apps"* ]]; then
    checked=1
    grep -q 'Notarius' <<<"$out" || fail "apps lists no Notarius: $out"
  fi
  if [[ $text == *"scan Tool"* ]]; then
    checked=1
    grep -q '^Tool (' <<<"$out" || fail "the scan names no Tool: $out"
    grep -q "/Users/$login/Library/" <<<"$out" || fail "the scan lists no leftovers: $out"
  fi
  if [[ $text == *"--root"* ]]; then
    checked=1
    # Only the whole volume and the home were given: Applications came with the volume.
    [[ ! -e $XDG_CONFIG_HOME/vimbrel/com.Orvik.Seltan.Vimbrel.plist ]] || fail "--root stored a grant"
  fi
  if [[ $text == *"vimbrel-spider &"* ]]; then
    checked=1
    [[ -d $work/.demo/root/Users/$login/.Trash/Notarius.app ]] || fail "Notarius is not in the Trash"
    left=0
    while IFS= read -r path; do [[ -e $path || -L $path ]] && left=$((left + 1)); done \
      < <(sed "s|^\.demo/|$work/.demo/|" <<<"$before_leftovers")
    [[ $left -eq 0 ]] || fail "$left of Notarius's leftovers are still there"
    after_count=$(remove_count)
    [[ $after_count -gt $before_count ]] || fail "remove_app_count did not rise ($before_count, $after_count)"
    grep -q "<integer>$after_count</integer>" <<<"$out" || fail "the block does not show the count: $out"
    agent_running && fail "the agent still runs after the block"
  fi
  [[ $checked -eq 1 ]] || fail "no check knows what this block does:"$'\n'"$text"
done

[[ $failures -eq 0 ]] || { printf '%d checks failed\n' "$failures" >&2; exit 1; }
printf '%d README blocks ran as written\n' "${#blocks[@]}"
