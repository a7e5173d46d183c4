#!/usr/bin/env bash
# Builds the fuzz targets with clang in their own build directory and runs each for SECONDS
# (default 60). Exits non-zero when any target finds a crash, leak, timeout or undefined
# behaviour; the input that caused it is left in BUILD/artifacts/.
set -euo pipefail

SECONDS_EACH=${1:-60}
[[ $SECONDS_EACH =~ ^[0-9]+$ ]] || { echo "usage: $0 [SECONDS]" >&2; exit 2; }
ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${CORVANE_FUZZ_BUILD:-$ROOT/build-fuzz}
CXX_FUZZ=${CXX_FUZZ:-$(command -v clang++ || command -v clang++-14)}
TARGETS=(fuzz_srvsvc fuzz_lsarpc fuzz_samr fuzz_sessions fuzz_security_descriptor fuzz_acl
    fuzz_replies fuzz_utf8 fuzz_share_file)

mkdir -p "$BUILD"
# The libraries are instrumented for coverage and sanitised as well, not only the entry
# points.
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_FUZZ=ON \
    -DCMAKE_CXX_COMPILER="$CXX_FUZZ" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    >"$BUILD/configure.log" 2>&1 || { cat "$BUILD/configure.log" >&2; exit 1; }
ninja -C "$BUILD" -j2 fuzz_seeds "${TARGETS[@]}"

"$BUILD/fuzz/fuzz_seeds" "$BUILD/seeds"
mkdir -p "$BUILD/artifacts"

failed=()
for t in "${TARGETS[@]}"; do
    corpus=$BUILD/corpus/$t
    mkdir -p "$corpus"
    echo "== $t for ${SECONDS_EACH}s"
    if ! "$BUILD/fuzz/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/$t-" \
        "$corpus" "$BUILD/seeds/$t" 2>"$BUILD/$t.log"; then
        tail -n 40 "$BUILD/$t.log" >&2
        failed+=("$t")
    else
        grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$BUILD/$t.log" || true
    fi
done

if ((${#failed[@]})); then
    echo "fuzzing found problems in: ${failed[*]}" >&2
    exit 1
fi
echo "no findings"
