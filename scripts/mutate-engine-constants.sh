#!/usr/bin/env bash
# Checks that the engine tests notice when one of the engine's fixed numbers changes.
#
# Not run by CI: it rebuilds and runs engine_tests once per mutation, which takes a long time.
#
# For each mutation below, the script applies a sed to a scratch copy of the working tree (the
# repository itself is never touched), rebuilds engine_tests incrementally in one scratch build
# directory (Release, ccache), runs it and prints the first test that failed, or NOT CAUGHT.
# Mutations of one file follow each other, so most steps recompile a single file.
#
# Usage: scripts/mutate-engine-constants.sh [NAME-REGEX]
#   NAME-REGEX  run only the mutations whose name matches (grep -E); default all.
# Environment: LUMIVEX_MUTATE_DIR, the scratch directory (default /tmp/lumivex-mutate-$USER).
# Exit status: 0 when every mutation was caught, 1 otherwise.
set -euo pipefail

repo=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
scratch=${LUMIVEX_MUTATE_DIR:-/tmp/lumivex-mutate-${USER:-$(id -un)}}
filter=${1:-.}
src=$scratch/src
build=$scratch/build
log=$scratch/last.log

# Brings the scratch copy up to the working tree, copying only files that differ, so that the
# scratch build stays incremental.
sync_tree() {
    mkdir -p "$src"
    git -C "$repo" ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do
            [[ -f "$repo/$f" ]] || continue
            if ! cmp -s "$repo/$f" "$src/$f"; then
                mkdir -p "$(dirname "$src/$f")"
                cp "$repo/$f" "$src/$f"
            fi
        done
}

configure() {
    [[ -f "$build/build.ninja" ]] && return
    CCACHE_BASEDIR=$src cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache >"$log" 2>&1
}

# Builds and runs engine_tests; prints the first failing test, or nothing when all pass.
build_and_test() {
    if ! CCACHE_BASEDIR=$src nice -n 10 cmake --build "$build" --target engine_tests >"$log" 2>&1; then
        echo "BUILD FAILED"
        return
    fi
    local status=0
    timeout 900 "$build/tests/engine_tests" --gtest_fail_fast --gtest_brief=1 >"$log" 2>&1 ||
        status=$?
    if ((status == 124)); then
        echo "TIMED OUT"
        return
    fi
    local failed
    failed=$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_.\/]*\).*/\1/p' "$log" | head -n 1)
    if [[ -n "$failed" ]]; then
        echo "$failed"
    elif ((status != 0)); then
        echo "CRASHED (exit $status)"
    fi
}

caught=0
missed=0

# Puts the saved copies back, with a fresh time stamp so that the next build recompiles them.
restore() {
    local file
    for file in "$@"; do
        cp "$scratch/saved/$(basename "$file")" "$src/$file"
    done
}

# mutate NAME FILE SED [FILE SED ...]: applies each sed script to its file, reports, restores.
mutate() {
    local name=$1
    shift
    [[ "$name" =~ $filter ]] || return 0
    local files=()
    mkdir -p "$scratch/saved"
    while (($# > 0)); do
        local file=$1 script=$2 saved
        shift 2
        saved=$scratch/saved/$(basename "$file")
        cp "$src/$file" "$saved"
        files+=("$file")
        sed -i -e "$script" "$src/$file"
        if cmp -s "$saved" "$src/$file"; then
            printf '%-52s SED DID NOT APPLY to %s\n' "$name" "$file"
            missed=$((missed + 1))
            restore "${files[@]}"
            return 0
        fi
    done
    local result
    result=$(build_and_test)
    restore "${files[@]}"
    if [[ -z "$result" ]]; then
        printf '%-52s NOT CAUGHT\n' "$name"
        missed=$((missed + 1))
    else
        printf '%-52s caught by %s\n' "$name" "$result"
        caught=$((caught + 1))
    fi
}

sync_tree
configure
baseline=$(build_and_test)
if [[ -n "$baseline" ]]; then
    echo "the unchanged tree does not pass: $baseline (see $log)" >&2
    exit 2
fi

E=engine
mutate "gate factor 1.72 -> 1.9" $E/fusion.cpp 's#kGateFactor = 1\.72#kGateFactor = 1.9#'
mutate "gate factor 1.72 -> 1.6" $E/fusion.cpp 's#kGateFactor = 1\.72#kGateFactor = 1.6#'
mutate "gate admits only v < limit" $E/fusion.cpp 's#difference <= limit#difference < limit#'
mutate "luminance: blue and red weights swapped" \
    $E/fusion.cpp 's#p\[0\] + 3 \* p\[1\] + 2 \* p\[2\]#2 * p[0] + 3 * p[1] + p[2]#'
mutate "luminance: green weight 3 -> 4" \
    $E/fusion.cpp 's#p\[0\] + 3 \* p\[1\] + 2 \* p\[2\]#p[0] + 4 * p[1] + 2 * p[2]#'
mutate "DetailMap: blue and red weights swapped" \
    $E/fusion.cpp 's#kWeight\[3\] = {1, 3, 2}#kWeight[3] = {2, 3, 1}#' \
    $E/fusion_rows.cpp 's#out\[c\] = std::abs(a\[i\] - b\[i\])#out[c] = 2 * std::abs(a[i] - b[i])#;s#2 \* std::abs(a\[i + 2\] - b\[i + 2\])#std::abs(a[i + 2] - b[i + 2])#'
mutate "DetailMap: green weight 3 -> 4" \
    $E/fusion.cpp 's#kWeight\[3\] = {1, 3, 2}#kWeight[3] = {1, 4, 2}#' \
    $E/fusion_rows.cpp 's#3 \* std::abs(a\[i + 1\] - b\[i + 1\])#4 * std::abs(a[i + 1] - b[i + 1])#'
mutate "DetailMap: 1/54 -> 1/50" \
    $E/fusion.cpp 's#1\.0 / 54\.0#1.0 / 50.0#' $E/fusion_rows.cpp 's#1\.0 / 54\.0#1.0 / 50.0#'
mutate "DetailMap: 2.8 -> 3.0" \
    $E/fusion.cpp 's#+ 2\.8;#+ 3.0;#' $E/fusion_rows.cpp 's#+ 2\.8;#+ 3.0;#'
mutate "FuseFrame: 4.8 -> 5.0" \
    $E/fusion.cpp 's#\* 4\.8)#* 5.0)#' $E/fusion_rows.cpp 's#\* 4\.8)#* 5.0)#'

mutate "matching: blue and red weights swapped" \
    $E/registration.cpp 's#3 \* dg \* dg + db \* db + 2 \* dr \* dr#3 * dg * dg + 2 * db * db + dr * dr#'
mutate "SubPixelShift: best cost starts at INT64_MAX" \
    $E/registration.cpp 's#bestCost = std::numeric_limits<int32_t>::max()#bestCost = std::numeric_limits<int64_t>::max()#'
mutate "SubPixelShift: a tie replaces the best" $E/registration.cpp 's#if (c < bestCost)#if (c <= bestCost)#'
mutate "RobustFit: first threshold 128 -> 256" \
    $E/registration.cpp 's#threshold = 128; threshold >= 1#threshold = 256; threshold >= 1#'
mutate "RobustFit: last threshold 1 -> 2" \
    $E/registration.cpp 's#threshold = 128; threshold >= 1#threshold = 128; threshold >= 2#'
mutate "RobustFit: keeps residuals equal to the threshold" \
    $E/registration.cpp 's#) < threshold)#) <= threshold)#'
mutate "RefineAffine: at most 5 rounds" $E/registration.cpp 's#kMaxRounds = 6#kMaxRounds = 5#'
mutate "RefineAffine: at most 7 rounds" $E/registration.cpp 's#kMaxRounds = 6#kMaxRounds = 7#'
mutate "RefineAffine: goes on after a gain of 0.5" \
    $E/registration.cpp 's#err - newErr >= 1\.0f#err - newErr >= 0.5f#'
mutate "RefineAffine: never restores" $E/registration.cpp 's#t = previous;#(void)previous;#'
mutate "RefineAffine: restores on an equal error too" \
    $E/registration.cpp 's#newErr > err ?#newErr >= err ?#'
mutate "EstimateShift: pyramid of 3 levels" \
    $E/registration.cpp 's#for (int32_t level = 0; level < 4#for (int32_t level = 1; level < 4#'
mutate "TrackPoint: no quarter-size level" $E/registration.cpp '/PointSearch(quarter, a4,/d'

mutate "sharpen amount 0.3 -> 0.35" $E/sharpen_fast.cpp 's#kAmount = 0\.3;#kAmount = 0.35;#'
mutate "sharpen width 5.0 -> 4.0" $E/sharpen_fast.cpp 's#kWidth = 5\.0;#kWidth = 4.0;#'
mutate "sharpen threshold 0 -> 2" $E/sharpen_fast.cpp 's#kThreshold = 0\.0;#kThreshold = 2.0;#'
mutate "kernel: 27 taps" $E/sharpen.cpp 's#2\.0 \* std::ceil(2\.0 \* s - 0\.5)#2.0 * std::ceil(2.0 * s + 0.5)#'
mutate "kernel: deviation |p| + 1.25" $E/sharpen.cpp 's#std::fabs(p) + 1\.0#std::fabs(p) + 1.25#'
mutate "kernel: cut off at 3 deviations" $E/sharpen.cpp 's#t <= 2\.0 \* s#t <= 3.0 * s#'
mutate "kernel: centre tap over 50 samples" $E/sharpen.cpp 's#centre / 51\.0#centre / 50.0#'

mutate "block grid: rows 30 -> 32" $E/features.cpp 's#grid.rows = (30 \*#grid.rows = (32 *#'
mutate "block grid: columns 30 -> 32" $E/features.cpp 's#grid.cols = (30 \*#grid.cols = (32 *#'
mutate "block grid: block width over O + 3" \
    $E/features.cpp 's#(width - 4) / (grid.cols + 2)#(width - 4) / (grid.cols + 3)#'
mutate "block grid: column offset halved twice" \
    $E/features.cpp 's#(width - grid.blockWidth \* (grid.cols - 1)) / 2#(width - grid.blockWidth * (grid.cols - 1)) / 4#'

echo "caught $caught, not caught $missed"
((missed == 0))
