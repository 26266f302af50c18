#!/usr/bin/env bash
# One entry point for a fresh machine: installs what is missing, builds, then runs the program
# ("run") or every test, once plainly and once under AddressSanitizer and UBSan, then the fuzzer
# ("test").
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

build() {  # build DIR [cmake options...]
  local dir=$1
  shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

# The bitmap loader under libFuzzer, for a bounded time; clang builds only what the fuzzer needs.
fuzz() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKURVIMO_FUZZ=ON -DKURVIMO_BENCH=OFF \
    -DKURVIMO_WERROR=ON >/dev/null
  cmake --build build-fuzz --target fuzz_load_picture -j "$jobs"
  ctest --test-dir build-fuzz -L fuzz --output-on-failure --verbose |
    grep -E 'Running|Done [0-9]+ runs|stat::|Passed|Failed|tests passed'
}

run_tests() {  # run_tests DIR
  ctest --test-dir "$1" --output-on-failure -j "$jobs"
  # The soak run's memory figures, for the record.
  grep -hE 'peak resident size|heap in use' "$1/Testing/Temporary/LastTest.log" || true
}

scripts/install-deps.sh

case "${1:-}" in
  run)
    build build
    exec build/src/kurvimo
    ;;
  test)
    build build -DKURVIMO_WERROR=ON
    run_tests build
    build build-sanitize -DKURVIMO_WERROR=ON -DKURVIMO_SANITIZE=ON -DKURVIMO_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      run_tests build-sanitize
    fuzz
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
