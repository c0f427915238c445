#!/usr/bin/env bash
# make-deb.sh [--from BUILD_DIR] [OUT_DIR]: makes lineatix_<version>_<arch>.deb
# in OUT_DIR (the current folder by default).
# Without --from it first builds the program in Release into build/, as run.sh
# does. With --from it packages that build tree as it stands, building nothing
# (the tests package the tree they were built in).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

from=""
if [ "${1:-}" = "--from" ]; then
  [ $# -ge 2 ] || { echo "Usage: make-deb.sh [--from BUILD_DIR] [OUT_DIR]" >&2; exit 1; }
  from=$(realpath "$2")
  shift 2
fi
mkdir -p "${1:-.}"
out=$(realpath "${1:-.}")
if [ -z "$from" ]; then
  "$repo/scripts/setup.sh"
  "$repo/scripts/build.sh" "$repo/build" Release
  from=$repo/build
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$from/CMakeCache.txt")
arch=$(dpkg --print-architecture)
[ -n "$version" ] || { echo "make-deb.sh: $from is not a configured build" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
DESTDIR=$root cmake --install "$from" --prefix /usr --strip >/dev/null
find "$root" -type d -exec chmod 755 {} +

# The libraries the programs link, as dpkg-shlibdeps finds them (it reads a
# debian/control, which a bare tree lacks).
mkdir -p "$work/debian"
printf 'Source: lineatix\n\nPackage: lineatix\nArchitecture: any\n' >"$work/debian/control"
# Its notes on libraries linked but unused are not the packager's concern.
if ! shlibs=$(cd "$work" && dpkg-shlibdeps -O "$root"/usr/bin/* 2>"$work/shlibdeps.log"); then
  cat "$work/shlibdeps.log" >&2
  exit 1
fi
shlibs=$(sed -n 's/^shlibs:Depends=//p' <<<"$shlibs")
[ -n "$shlibs" ] || { echo "make-deb.sh: dpkg-shlibdeps found no libraries" >&2; exit 1; }
# What Qt loads at run time and no binary names: the window system plugins, the
# TIFF image plugin, the metrics of Arial for true-size printing, Qt's French texts.
runtime="qt6-qpa-plugins, qt6-image-formats-plugins, fonts-liberation, qt6-translations-l10n"

mkdir -p "$root/DEBIAN"
cat >"$root/DEBIAN/control" <<CONTROL
Package: lineatix
Version: $version
Architecture: $arch
Maintainer: ${DEBFULLNAME:-Lineatix} <${DEBEMAIL:-lineatix@localhost}>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $shlibs, $runtime
Recommends: hicolor-icon-theme, qt6-wayland
Suggests: cups
Section: education
Priority: optional
Description: teaching workbench for the optical scanning of EAN-13 bar codes
 Lineatix generates EAN-13 codes and prints them at true size, acquires the
 scan of a printed code from an oscilloscope (Tektronix TDS, GW Instek
 GDS-820C) or a Leuze BCL32 reader on a serial port, shows the waveform as a
 graph and decodes it step by step. French user interface.
CONTROL

deb=$out/lineatix_${version}_${arch}.deb
dpkg-deb --root-owner-group --build "$root" "$deb" >/dev/null
echo "$deb"
