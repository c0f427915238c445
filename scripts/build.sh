#!/usr/bin/env bash
# build.sh DIR TYPE [cmake options...]: configures and builds into DIR.
# Builds take a lock so that two builds never share the two cores at once.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
type=$2
shift 2
exec 9>/tmp/lineatix-build.lock
flock 9
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" -- --no-print-directory -s
