#!/usr/bin/env bash
# Installs what is missing, builds Murmex and runs every test:
#   - the format check;
#   - the whole suite (build/, GCC), the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer
#     (build-asan/, clang), and the threaded tests (label "threads") under ThreadSanitizer (build-tsan/, clang,
#     only those tests and what they link);
#   - the fuzz targets for a short while (scripts/fuzz.sh);
#   - the long tests (label "long": the auto-off's ten minutes), started as soon as the program has linked.
# Builds and tests overlap: builds yield to the tests that run meanwhile, and each suite runs in two test
# environments of its own (scripts/testenv.sh) at once, one for the sound tests (label "audio") and one for the
# rest. The command ends with a table of each phase's seconds, and fails if a process it started outlives it.
#
#   scripts/test.sh           everything, as CI runs it
#   scripts/test.sh --quick   the plain build and its suite only (no sanitizers, no fuzzing, no long tests)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
quick=0
case "${1:-}" in
"") ;;
--quick) quick=1 ;;
*)
    echo "usage: $0 [--quick]" >&2
    exit 2
    ;;
esac

# Every process started from here carries this mark in its environment, so that the end can tell whether one
# of them still runs.
export MURMEX_TEST_RUN="$$.$(date +%s%N)"
logs=$(mktemp -d "${TMPDIR:-/tmp}/murmex-test.XXXXXX")

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1"

section() { printf '\n=== %s\n' "$*"; }

# --- Phases: each one's seconds are written down as it ends, also by phases that run in the background.
phase() { # NAME COMMAND...
    local name=$1 start=$SECONDS
    shift
    section "$name"
    "$@"
    printf '%s\t%d\n' "$name" $((SECONDS - start)) >>"$logs/phases"
}

# Runs COMMAND in the background, its output kept until `finish NAME` shows it.
declare -A background=()
in_background() { # NAME COMMAND...
    local name=$1 log="$logs/background.${#background[@]}"
    shift
    section "$name: in the background"
    "$@" >"$log" 2>&1 &
    background[$name]="$!:$log"
}
finish() { # NAME: waits for it, shows its output and fails when it failed
    local entry=${background[$1]} status=0
    wait "${entry%%:*}" || status=$?
    section "$1 (from the background)"
    cat "${entry#*:}"
    unset "background[$1]"
    ((status == 0)) || { echo "FAILED: $1" >&2; exit 1; }
}

# The processes started here that still run, as "PID COMMAND" lines.
processes_left() {
    bash scripts/marked-processes.sh "MURMEX_TEST_RUN=$MURMEX_TEST_RUN"
}

the_end() {
    local status=$? pid _ entry
    if ((${#background[@]})); then
        # A failure ends the command early: what still runs in the background is asked to end, so that the test
        # environments tear themselves down.
        for entry in "${background[@]}"; do kill -TERM "${entry%%:*}" 2>/dev/null || true; done
        while read -r pid _; do kill -TERM "$pid" 2>/dev/null || true; done < <(processes_left)
        for _ in $(seq 100); do
            [[ -z "$(processes_left)" ]] && break
            sleep 0.2
        done
    fi
    if [[ -s "$logs/phases" ]]; then
        printf '\n%-50s %7s\n' "phase" "seconds"
        awk -F'\t' '{ printf "%-50s %7d\n", $1, $2 }' "$logs/phases"
        printf '%-50s %7d\n' "the whole command (phases overlap)" "$SECONDS"
    fi
    if ! bash scripts/marked-processes.sh --end "MURMEX_TEST_RUN=$MURMEX_TEST_RUN" \
        "processes started by the test command were still running, now ended:"; then
        ((status != 0)) || status=1
    fi
    rm -rf "$logs"
    if ((status == 0)); then section "all tests passed"; else echo "the test command FAILED" >&2; fi
    exit "$status"
}
trap the_end EXIT

# --- Suites. A suite of build folder DIR runs in two test environments at once: the sound tests in one, the rest in
# the other.
suite() { # DIR
    local dir=$1 status=0 sound
    bash scripts/testenv.sh ctest --test-dir "$dir" --output-on-failure -j "$jobs" -L audio \
        >"$logs/$dir.audio" 2>&1 &
    sound=$!
    bash scripts/testenv.sh ctest --test-dir "$dir" --output-on-failure -j "$jobs" -LE 'audio|long' || status=$?
    wait "$sound" || status=$?
    cat "$logs/$dir.audio"
    return "$status"
}
# The threaded tests measure how soon a player answers: they never run beside another suite.
threaded_tests() {
    bash scripts/testenv.sh ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threads
}

# --- Builds. The plain build is GCC's, as the run command's. The sanitizer builds are clang's, which makes them in
# two thirds of the time; they take the skin painter and the clip generator from the plain build (those run at
# build time, are not instrumented and would come out the same). The builds after the first yield to the tests.
configure() { # DIR [CMAKE ARGUMENTS...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}
sanitizer_configure() { # DIR SANITIZERS [CMAKE ARGUMENTS...]
    local dir=$1 sanitizers=$2
    shift 2
    configure "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMURMEX_SANITIZE="$sanitizers" \
        -DMURMEX_TOOLS_FROM="$root/build" -DMURMEX_BENCH=OFF "$@"
}
# What the long tests run.
build_program() {
    configure build
    cmake --build build -j "$jobs" --target murmex soundcheck xclose xpixel fake_login1
}
build_asan() {
    sanitizer_configure build-asan address,undefined
    nice -n 19 cmake --build build-asan -j "$jobs"
}
# Only the threaded tests (each test is named as its program) and what they link.
build_tsan() {
    sanitizer_configure build-tsan thread
    local targets
    targets=$(ctest --test-dir build-tsan -N -L threads | sed -n 's/^ *Test *#[0-9]*: //p')
    [[ -n "$targets" ]] || { echo "no threaded tests" >&2; return 1; }
    # shellcheck disable=SC2086
    nice -n 19 cmake --build build-tsan -j "$jobs" --target $targets
}

format_check() {
    local sources
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c')
    else
        mapfile -t sources < <(find app audio i18n ui platform tools tests bench -name '*.cpp' -o -name '*.h' -o -name '*.c')
    fi
    [[ ${#sources[@]} -eq 0 ]] || clang-format --dry-run --Werror "${sources[@]}"
}

phase "installs" bash scripts/deps.sh test
phase "format" format_check
phase "build: the program (plain)" build_program
((quick)) || in_background "long tests" phase "long tests (auto-off, ten minutes)" \
    bash scripts/testenv.sh ctest --test-dir build --output-on-failure -L long
phase "build: the rest (plain)" cmake --build build -j "$jobs"
if ((quick)); then
    phase "suite (plain)" suite build
    exit 0
fi

# The plain suite, and once it is over and the ThreadSanitizer build is there, the threaded tests; meanwhile the
# sanitizer builds.
plain_then_threads() {
    phase "suite (plain)" suite build
    until [[ -e "$logs/tsan-built" ]]; do sleep 0.5; done
    phase "threaded tests (TSan)" threaded_tests
}
in_background "suite (plain), then threaded tests" plain_then_threads
phase "build: TSan (threaded tests only)" build_tsan
touch "$logs/tsan-built"
phase "build: ASan+UBSan" build_asan
finish "suite (plain), then threaded tests"
in_background "fuzz" phase "fuzz (clip records, RIFF reader; yields)" nice -n 19 bash scripts/fuzz.sh 25
phase "suite (ASan+UBSan)" suite build-asan
finish "fuzz"
finish "long tests"
