#!/usr/bin/env bash
# makefrenchlocale.sh DIR: makes fr_FR.UTF-8 in DIR from Debian's definitions
# (the locales package), nothing generated system-wide, for runs with
# LOCPATH=DIR LC_ALL=fr_FR.UTF-8; then checks that it writes decimal commas.
set -euo pipefail
dir=$1
mkdir -p "$dir"
if [ ! -d "$dir/fr_FR.UTF-8" ]; then
  # Made aside then moved in: a run that stops half-way leaves no broken locale.
  work=$(mktemp -d "$dir/making.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  localedef -i fr_FR -f UTF-8 "$work/fr_FR.UTF-8"
  mv -T "$work/fr_FR.UTF-8" "$dir/fr_FR.UTF-8" 2>/dev/null || [ -d "$dir/fr_FR.UTF-8" ]
fi
point=$(LOCPATH="$dir" LC_ALL=fr_FR.UTF-8 locale decimal_point)
if [ "$point" != "," ]; then
  echo "fr_FR.UTF-8 made in $dir has the decimal point '$point', not ','" >&2
  exit 1
fi
