#!/usr/bin/env bash
# build.sh DIR TYPE [cmake options...]: configures and builds into DIR (a
# relative DIR is taken in the checkout). LINEATIX_BUILD_TARGETS, when set,
# names the targets to build; those the build does not know are skipped.
# Build messages go to standard error, and only what was built, warned about
# or failed is shown: an up-to-date build says nothing.
# Builds take a lock so that two builds never share the two cores at once
# (LINEATIX_BUILD_LOCK names another one, for a build that is not of this
# checkout).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir=$1
type=$2
shift 2
case "$dir" in
/*) ;;
*) dir="$root/$dir" ;;
esac
exec 9>"${LINEATIX_BUILD_LOCK:-/tmp/lineatix-build.lock}"
flock 9
# ccache, when the set-up installed it, keeps rebuilds after a clean or in a
# second checkout short; paths are taken relative to the checkout so that two
# checkouts share its cache.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
fi
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE="$type" ${launcher[@]+"${launcher[@]}"} "$@" >/dev/null

targets=()
if [ -n "${LINEATIX_BUILD_TARGETS:-}" ]; then
  known=$(cmake --build "$dir" --target help 2>/dev/null || true)
  for target in $LINEATIX_BUILD_TARGETS; do
    if grep -qE "^\.\.\. $target( |\$)" <<<"$known"; then targets+=("$target"); fi
  done
fi

set +e
cmake --build "$dir" ${targets[@]+--target "${targets[@]}"} -j"$(nproc)" -- --no-print-directory -s 2>&1 |
  grep -v -E '^\[ *[0-9]+%\] (Built target|Automatic (MOC|RCC|UIC) for target) |^Consolidate compiler generated dependencies of target ' >&2
status=${PIPESTATUS[0]}
set -e
exit "$status"
