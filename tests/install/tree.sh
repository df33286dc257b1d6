#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# An install into a temporary prefix, moved elsewhere, still works: the tools
# find the bundled sample beside themselves, the desktop program starts on it
# and trades a stale default common directory for its own, and no installed
# file names the trees it was built from.
# Usage: tree.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/nomix-install.XXXXXX")
gui=""
cleanup() {
  if [ -n "$gui" ]; then kill "$gui" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "install_tree: FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/first" >/dev/null
mv "$tmp/first" "$tmp/moved"
prefix=$(cd "$tmp/moved" && pwd -P)

for file in bin/nomix95 bin/nomix95-cli \
            share/nomix95/sample/NOMIX.CFG share/nomix95/sample/NOMIX.DAT \
            share/nomix95/help/NOMIX95.html share/nomix95/music/ABOUT.MID \
            share/nomix95/labelling/default.taxonomy share/nomix95/labelling/default.tagging \
            share/nomix95/labelling/default.expansion share/nomix95/labelling/LICENSE \
            share/applications/com.talvora.Nomix95.desktop \
            share/metainfo/com.talvora.Nomix95.metainfo.xml \
            share/icons/hicolor/48x48/apps/com.talvora.Nomix95.png \
            share/icons/hicolor/scalable/apps/com.talvora.Nomix95.svg \
            share/man/man1/nomix95.1.gz share/man/man1/nomix95-cli.1.gz \
            share/bash-completion/completions/nomix95-cli; do
  [ -e "$prefix/$file" ] || fail "$file not installed"
done
if [ -e "$build/tools/nomix95-import" ]; then
  for file in bin/nomix95-import share/man/man1/nomix95-import.1.gz \
              share/bash-completion/completions/nomix95-import; do
    [ -e "$prefix/$file" ] || fail "$file not installed"
  done
fi

# Nothing installed may point back at the machine's trees, or the moved
# install would depend on them (and the package would leak them).
if leaks=$(grep -rlF -e "$source" -e "$(cd "$build" && pwd -P)" "$prefix"); then
  fail "installed files name the source or build tree: $leaks"
fi

# The man pages read as pages, with their own sections.
zcat "$prefix/share/man/man1/nomix95-cli.1.gz" | grep -q '^\.SH EXAMPLES' ||
  fail "the command line's man page lacks its examples"

# Bash completes the tool's options from the tool's own --help.
completion=$(bash -c '
  source /usr/share/bash-completion/bash_completion
  source "$1/share/bash-completion/completions/nomix95-cli"
  COMP_WORDS=(nomix95-cli --co) COMP_CWORD=1 COMP_LINE="nomix95-cli --co"
  COMP_POINT=${#COMP_LINE}
  _nomix95_tools "$1/bin/nomix95-cli" --co nomix95-cli
  printf "%s\n" "${COMPREPLY[@]}"' completion "$prefix")
for option in --count --config; do
  grep -qx -- "$option" <<<"$completion" || fail "bash completes --co as: $completion"
done

# "trojan" holds no '|', so every line that contains it in any letter case
# is a hit of the default search over all products.
expected=$(LC_ALL=C grep -ci trojan "$source/resources/sample/NOMIX.DAT")
count=$(cd / && "$prefix/bin/nomix95-cli" --count trojan) ||
  fail "the moved nomix95-cli found no sample (status $?)"
[ "$count" = "$expected" ] || fail "nomix95-cli --count trojan said $count, expected $expected"

# The installed labelling rules vote the families: the sample's first line is
# LoadMoney's.
family=$(cd / && "$prefix/bin/nomix95-cli" --family --tsv loadmoney | sed -n 2p | cut -f1) ||
  fail "the moved nomix95-cli found no labelling rules (status $?)"
[ "$family" = loadmoney ] || fail "nomix95-cli --family gave '$family' for the first hit"

# The desktop program, settings naming the sample of an installation that
# is gone: it loads its own sample instead and saves that at the close.
export XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_CONFIG_HOME/Talvora" && mkdir -m 700 "$XDG_RUNTIME_DIR"
settings=$XDG_CONFIG_HOME/Talvora/Nomix95.reg
{
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Talvora\\Nomix\\1.1\\Options]\r\n'
  printf '"DataPath"="%s"\r\n' "$tmp/uninstalled/share/nomix95/sample"
  printf '"DataName"="NOMIX.DAT"\r\n"ConfigName"="NOMIX.CFG"\r\n'
  for name in ShowNumericOnly ShowBitmaps UpdateItemCounter StringMatch ShowOtherProducts \
              SearchInBackground AlarmDisabled SoundsDisabled LoadSelProducts \
              SaveSelectedOnly MinimizeInTaskbar ListDetails; do
    value=0
    case $name in ShowBitmaps | ShowOtherProducts | SearchInBackground | AlarmDisabled | SoundsDisabled) value=1 ;; esac
    printf '"%s"=dword:%08x\r\n' "$name" "$value"
  done
  printf '"LastSelection"=dword:ffffffff\r\n\r\n'
} >"$settings"
"$prefix/bin/nomix95" >"$tmp/gui.log" 2>&1 &
gui=$!
# The program takes SIGTERM as Exit once it is up; until then the signal
# would end it unsaved, so wait until it catches the signal.
catches_term() {
  local mask
  mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$gui/status" 2>/dev/null) || return 1
  [ -n "$mask" ] && (((16#$mask >> 14) & 1))
}
for ((i = 0; i < 300; i++)); do
  catches_term && break
  kill -0 "$gui" 2>/dev/null || break
  sleep 0.1
done
catches_term || { cat "$tmp/gui.log" >&2; fail "the installed nomix95 did not come up"; }
kill -TERM "$gui"
status=0
wait "$gui" || status=$?
gui=""
[ "$status" = 0 ] || { cat "$tmp/gui.log" >&2; fail "nomix95 ended with status $status"; }
grep -qF "\"DataPath\"=\"$prefix/share/nomix95/sample\"" "$settings" ||
  fail "the saved DataPath is not the moved sample: $(grep DataPath "$settings")"
echo "install_tree: moved install answers $count for trojan; the program took its own sample"
