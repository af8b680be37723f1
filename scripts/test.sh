#!/usr/bin/env bash
# Installs what is missing, builds Murmex and runs every test: the format check, the whole suite in the
# test environment (scripts/testenv.sh), then the whole suite again under AddressSanitizer
# and UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer, and the fuzz targets for a short
# while (scripts/fuzz.sh). The long tests (label "long": the auto-off's ten minutes) run meanwhile in a test
# environment of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

section() { printf '\n=== %s\n' "$*"; }

bash scripts/deps.sh

section "format"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c')
else
    mapfile -t sources < <(find app audio i18n ui platform tools tests bench -name '*.cpp' -o -name '*.h' -o -name '*.c' 2>/dev/null)
fi
[[ ${#sources[@]} -eq 0 ]] || clang-format --dry-run --Werror "${sources[@]}"

section "build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

# The tests that take the auto-off's ten minutes run meanwhile, in a test environment of their own; the
# builds that follow yield to them.
section "long tests, in the background"
long_log=$(mktemp)
bash scripts/testenv.sh ctest --test-dir build --output-on-failure -L long >"$long_log" 2>&1 &
long_pid=$!
trap 'kill "$long_pid" 2>/dev/null || true; rm -f "$long_log"' EXIT

section "build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURMEX_SANITIZE=address,undefined >/dev/null
nice -n 10 cmake --build build-asan -j "$jobs"

section "build with ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURMEX_SANITIZE=thread >/dev/null
nice -n 10 cmake --build build-tsan -j "$jobs"

section "tests"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
bash scripts/testenv.sh bash -c '
    set -e
    ctest --test-dir build --output-on-failure -j "$1" -LE long
    echo
    echo "=== the suite again under AddressSanitizer and UndefinedBehaviorSanitizer"
    ctest --test-dir build-asan --output-on-failure -j "$1" -LE long
    echo
    echo "=== the threaded tests under ThreadSanitizer"
    ctest --test-dir build-tsan --output-on-failure -j "$1" -L threads
' tests "$jobs"

section "fuzz the clip-record parser and the RIFF reader"
bash scripts/fuzz.sh 25

section "the long tests"
long_status=0
wait "$long_pid" || long_status=$?
cat "$long_log"
((long_status == 0)) || { echo "the long tests failed" >&2; exit 1; }
section "all tests passed"
