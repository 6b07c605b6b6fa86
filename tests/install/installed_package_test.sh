#!/usr/bin/env bash
# Builds the Debian package from the finished build, unpacks it into a scratch
# root and checks what a user gets: the programs run from there (the framework
# library found through their RUNPATH), a scan of a demo home works, and the
# desktop entry, metadata, manual pages, icons and completion pass the tools
# of their ecosystems.
#   installed_package_test.sh BUILD_DIR VERSION DEMOHOME_PROGRAM [--lintian]
set -euo pipefail

build=$1 version=$2 demohome=$3 lintian=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { printf 'FAIL: %s\n' "$*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; "$@" || fail "$what"; }

# Only the outputs of the finished build are packed: cpack finds nothing
# left to build.
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; exit 1; }
deb=$(ls "$work"/out/vimbrel_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root"
# The programs must not reach into the build tree or the system for the library.
unset LD_LIBRARY_PATH

# Control data: dependencies computed from the binaries, root-owned files.
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libplist* ]] || fail "Depends lacks the libraries: $depends"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
owners=$(dpkg-deb -c "$deb" | awk '$2 != "root/root"')
[[ -z $owners ]] || fail "files not owned by root: $owners"

# Where the files are.
for path in usr/bin/vimbrel usr/bin/vimbrel-cli usr/bin/vimbrel-spider \
  usr/share/applications/com.Orvik.Seltan.Vimbrel.desktop \
  usr/share/metainfo/com.orvik.Seltan.Vimbrel.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/com.Orvik.Seltan.Vimbrel.svg \
  usr/share/bash-completion/completions/vimbrel-cli \
  usr/share/doc/vimbrel/copyright usr/share/doc/vimbrel/changelog.gz \
  usr/share/vimbrel/Acknowledgements.rtf; do
  [[ -e $root/$path ]] || fail "missing /$path"
done
for size in 16 22 24 32 48 64 128 256 512; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/com.Orvik.Seltan.Vimbrel.png
  file "$icon" | grep -q "$size x $size" || fail "no ${size}x${size} icon"
done
library=$(find "$root/usr/lib/vimbrel" -name 'libRavellMAS.so.*' -type f)
[[ -n $library ]] || fail "the framework library is not in /usr/lib/vimbrel"
[[ -z $(find "$root/usr/lib" -maxdepth 1 -name '*.so*') ]] || fail "a library in the system folder"
for program in "$root"/usr/bin/* $library; do
  file "$program" | grep -q ', stripped' || fail "$(basename "$program") is not stripped"
done
runpath=$(readelf -d "$root/usr/bin/vimbrel" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
[[ $runpath == '$ORIGIN/../lib/vimbrel' ]] || fail "vimbrel's RUNPATH is '$runpath'"

# The programs answer --help and --version without a display.
for program in vimbrel vimbrel-cli vimbrel-spider; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --version 2>&1) \
    || fail "$program --version failed: $out"
  [[ $out == "$program $version" ]] || fail "$program --version printed: $out"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --help 2>&1) \
    || fail "$program --help failed: $out"
  [[ $out == usage:\ $program* ]] || fail "$program --help printed: $out"
done

# A scan of a demo home, by label, with the demo's grants.
"$demohome" --out "$work/demo/root" --config "$work/demo/config" >/dev/null
export HOME=$work/home XDG_CONFIG_HOME=$work/demo/config XDG_DATA_HOME=$work/data
mkdir -p "$HOME"
if scan=$("$root/usr/bin/vimbrel-cli" scan Tool 2>&1); then
  grep -q '^Tool (' <<<"$scan" || fail "the scan names no Tool: $scan"
  grep -q "$work/demo/root/Users/.*/Library/" <<<"$scan" || fail "the scan lists no leftovers: $scan"
else
  fail "vimbrel-cli scan Tool failed: $scan"
fi

# Desktop entry and metadata, by their validators.
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/com.Orvik.Seltan.Vimbrel.desktop"
metainfo=$root/usr/share/metainfo/com.orvik.Seltan.Vimbrel.metainfo.xml
check "appstreamcli validate" appstreamcli validate --no-net "$metainfo" >/dev/null
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata's release is not $version"

# Each manual page renders without a warning.
for page in vimbrel vimbrel-cli vimbrel-spider; do
  file=$root/usr/share/man/man1/$page.1.gz
  warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) || fail "man -l $page failed"
  [[ -z $warnings ]] || fail "man $page warns: $warnings"
  MANWIDTH=80 man -P cat -l "$file" 2>/dev/null | grep -q "^EXIT STATUS" || fail "man $page has no EXIT STATUS"
done

# Completion: commands, options, and labels of the installed applications.
complete_line() {
  bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _vimbrel_cli
    printf "%s\n" "${COMPREPLY[@]}"' _ "$root/usr/share/bash-completion/completions/vimbrel-cli" "$@"
}
if [[ -r /usr/share/bash-completion/bash_completion ]]; then
  [[ $(complete_line "$root/usr/bin/vimbrel-cli" sc) == scan ]] || fail "completion of sc"
  [[ $(complete_line "$root/usr/bin/vimbrel-cli" scan Tool --w) == --why ]] || fail "completion of --w"
  [[ $(complete_line "$root/usr/bin/vimbrel-cli" remove No) == Notarius ]] \
    || fail "completion of an application label: $(complete_line "$root/usr/bin/vimbrel-cli" remove No)"
  [[ $(complete_line "$root/usr/bin/vimbrel-cli" grant a) == applications ]] || fail "completion of grant"
fi

if [[ $lintian == --lintian ]]; then
  lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian"; }
fi

[[ $failures -eq 0 ]] || { printf '%d checks failed\n' "$failures" >&2; exit 1; }
printf 'the package %s passes\n' "$(basename "$deb")"
