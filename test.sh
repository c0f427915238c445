#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests with
# AddressSanitizer and UndefinedBehaviorSanitizer (into build-tests/) and runs
# the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
./scripts/build.sh build-tests Debug -DLINEATIX_SANITIZE=ON

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
# Qt and fontconfig keep caches for the life of the process; leaks are not
# what the sanitizers are here for.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-tests
exec ctest --output-on-failure "$@"
