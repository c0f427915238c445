#!/usr/bin/env bash
# Installs what is missing, builds Lineatix (Release, into build/ of this
# checkout) and starts it with the given arguments in the caller's working
# directory, so that relative paths are the caller's. The set-up and build
# messages go to standard error: a batch command's standard output is its own.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh" >&2
# Only the programs, not the tests and benchmarks; the simulator when there is one.
LINEATIX_BUILD_TARGETS="lineatix lineatix-sim" "$root/scripts/build.sh" "$root/build" Release >&2
exec "$root/build/src/lineatix" "$@"
