#!/usr/bin/env bash
# Installs what is missing, builds Lineatix (Release, into build/) and starts it
# with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
./scripts/build.sh build Release
exec ./build/src/lineatix "$@"
