#!/usr/bin/env bash
# run.sh and scripts/build.sh, each copied into a small checkout of its own:
# run.sh starts the program in the caller's working directory with the build's
# messages on standard error; build.sh builds only the targets asked for, and
# is silent when there is nothing to build.
# Usage: tst_scripts.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    echo "PASS   : $1"
  else
    echo "FAIL!  : $1"
    echo "   expected: [$2]"
    echo "   actual  : [$3]"
    failures=$((failures + 1))
  fi
}

# --- run.sh, with stand-ins for the set-up, the build and the program ---
fake="$work/checkout with space"
mkdir -p "$fake/scripts" "$fake/build/src" "$work/tp"
cp "$source_dir/run.sh" "$fake/run.sh"
cat >"$fake/scripts/setup.sh" <<'STUB'
#!/usr/bin/env bash
echo "setting up"
STUB
cat >"$fake/scripts/build.sh" <<'STUB'
#!/usr/bin/env bash
echo "building $* [${LINEATIX_BUILD_TARGETS:-everything}]"
STUB
cat >"$fake/build/src/lineatix" <<'STUB'
#!/usr/bin/env bash
echo "in $PWD:$*"
STUB
chmod +x "$fake/run.sh" "$fake/scripts/"*.sh "$fake/build/src/lineatix"

cd "$work/tp"
out=$("$fake/run.sh" --save out.cod "two words" 2>"$work/err")
check "run.sh: the program runs in the caller's folder, arguments intact" \
  "in $work/tp:--save out.cod two words" "$out"
check "run.sh: set-up and build messages on standard error" \
  "setting up
building $fake/build Release [lineatix lineatix-sim]" "$(cat "$work/err")"

# --- build.sh on a tiny project: two programs, of which one is asked for ---
proj="$work/project"
mkdir -p "$proj/scripts"
cp "$source_dir/scripts/build.sh" "$proj/scripts/build.sh"
# Its own lock: the machine's may be held by a build of the checkout.
export LINEATIX_BUILD_LOCK="$work/lock"
# Qt's generated-code steps run at every build, even an up-to-date one.
cat >"$proj/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.22)
project(Tiny LANGUAGES CXX)
set(CMAKE_AUTOMOC ON)
find_package(Qt6 REQUIRED COMPONENTS Core)
add_executable(lineatix main.cpp)
target_link_libraries(lineatix Qt6::Core)
add_executable(other main.cpp)
target_link_libraries(other Qt6::Core)
CMAKE
echo 'int main() { return 0; }' >"$proj/main.cpp"
cd "$work/tp"
out=$(LINEATIX_BUILD_TARGETS="lineatix lineatix-sim" "$proj/scripts/build.sh" build Release 2>"$work/err")
status=$?
check "build.sh: builds" 0 "$status"
check "build.sh: nothing on standard output" "" "$out"
check "build.sh: the build says what it builds on standard error" yes \
  "$(grep -q 'lineatix' "$work/err" && echo yes || echo no)"
check "build.sh: a relative folder is the checkout's" yes \
  "$([ -x "$proj/build/lineatix" ] && echo yes || echo no)"
check "build.sh: only the targets asked for that exist" no \
  "$([ -e "$proj/build/other" ] && echo yes || echo no)"
out=$(LINEATIX_BUILD_TARGETS="lineatix lineatix-sim" "$proj/scripts/build.sh" build Release 2>&1)
check "build.sh: silent when there is nothing to build" "" "$out"
out=$("$proj/scripts/build.sh" "$proj/build" Release 2>/dev/null)
check "build.sh: without a list, everything" yes \
  "$([ -x "$proj/build/other" ] && [ -z "$out" ] && echo yes || echo no)"
printf 'int main() { return 1 }\n' >"$proj/main.cpp"
set +e
out=$("$proj/scripts/build.sh" build Release 2>"$work/err")
status=$?
set -e
check "build.sh: a failed build fails" 1 "$([ "$status" -ne 0 ] && echo 1 || echo 0)"
check "build.sh: and says why on standard error" yes \
  "$(grep -q 'error' "$work/err" && [ -z "$out" ] && echo yes || echo no)"

echo "Totals: $failures failed"
[ "$failures" -eq 0 ]
