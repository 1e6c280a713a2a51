#!/usr/bin/env bash
# Installs what is missing, builds every library, front end and test under AddressSanitizer and
# UndefinedBehaviorSanitizer into build-test/, and runs every test with CTest; then the
# ThreadSanitizer check of the engine and job suites (scripts/race-check.sh) and the check of the
# Release Debian package (scripts/package-check.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_SANITIZE=ON \
    -DLUMIVEX_WERROR=ON
cmake --build build-test

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-test --output-on-failure -j "$(nproc)" --timeout 1200

./scripts/race-check.sh
./scripts/package-check.sh
