#!/usr/bin/env bash
# One entry point for a fresh machine: installs what is missing, builds, then runs the program
# ("run") or every test ("test"): once plainly, once under AddressSanitizer and UBSan, then the
# fuzzer. The builds are the presets of CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

build() {  # build PRESET
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}

scripts/install-deps.sh

case "${1:-}" in
  run)
    build dev
    exec build/src/kurvimo
    ;;
  test)
    # Unformatted C++ fails the run before anything is built.
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
    for preset in dev asan; do
      build "$preset"
      ctest --preset "$preset" -j "$jobs"
    done
    build fuzz
    ctest --preset fuzz | grep -E 'Running|Done [0-9]+ runs|stat::|skipped|Passed|Failed|tests passed'
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
