#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian package as cpack builds it from the build folder: its control
# fields name the libraries the programs need and its files lie under /usr.
# Usage: deb.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d "${TMPDIR:-/tmp}/nomix-deb.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail() { echo "install_deb: FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$tmp"/*.deb)

dpkg-deb --field "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libsdl2-mixer-2.0-0 libsdl2-2.0-0 libc6 \
  zlib1g libzstd1 libbz2-1.0 libpq5; do
  grep -Eq "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done
for field in Maintainer Description Version Architecture; do
  [ -n "$(dpkg-deb --field "$deb" "$field")" ] || fail "no $field field"
done

dpkg-deb --contents "$deb" | awk '{ print $6 }' >"$tmp/files"
for file in ./usr/bin/nomix95 ./usr/bin/nomix95-cli ./usr/share/nomix95/sample/NOMIX.DAT \
            ./usr/share/applications/com.talvora.Nomix95.desktop \
            ./usr/share/man/man1/nomix95-cli.1.gz ./usr/share/doc/nomix95/copyright; do
  grep -qxF "$file" "$tmp/files" || fail "the package lacks $file"
done
if outside=$(grep -vE '^\./(usr/.*)?$' "$tmp/files"); then
  fail "files outside /usr: $outside"
fi
# The menu entry starts the program by the name the package installs.
exec_line=$(dpkg-deb --fsys-tarfile "$deb" |
  tar -xO ./usr/share/applications/com.talvora.Nomix95.desktop | grep '^Exec=')
[ "$exec_line" = "Exec=nomix95" ] || fail "the menu entry runs '$exec_line'"
