#!/usr/bin/env bash
# Builds the engine and job suites under ThreadSanitizer into build-tsan/ and runs them. They drive
# the engine's thread pool with 1, 2 and 4 threads and the enhancement worker with cancellation, so
# a data race in either stops this script with the sanitizer's report. Where the sanitizer cannot
# start on this machine (some kernels' address-space layouts), it says so and skips the check.
set -euo pipefail
cd "$(dirname "$0")/.."

probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
cat >"$probe_dir/probe.cpp" <<'CPP'
#include <thread>
int main() {
    int x = 0;
    std::thread t([&] { x = 1; });
    t.join();
    return x - 1;
}
CPP
if ! c++ -fsanitize=thread "$probe_dir/probe.cpp" -o "$probe_dir/probe" 2>/dev/null ||
    ! "$probe_dir/probe" >/dev/null 2>&1; then
    echo "race-check: ThreadSanitizer cannot run on this machine; the data-race check is skipped."
    exit 0
fi

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_SANITIZE_THREAD=ON \
    -DLUMIVEX_BUILD_APP=OFF
cmake --build build-tsan --target engine_tests job_test

export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
for suite in engine_tests job_test; do
    echo "race-check: $suite"
    (cd build-tsan/tests && "./$suite" --gtest_brief=1)
done
