#!/usr/bin/env bash
# CI step: a short run of every fuzz target over the seed corpus (the shared
# corpus and the tests' own YAML snippets). Builds the targets with clang,
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, installing clang
# with apt-get when it is missing. Fails on any crash, hang or sanitizer report.
#
#   scripts/ci_fuzz_smoke.sh [seconds per target]      (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="${PLOVARN_FUZZ_BUILD:-build-fuzz-smoke}"

cxx=""
for c in clang++-19 clang++-18 clang++-17 clang++-16; do
    command -v "$c" >/dev/null && { cxx="$c"; break; }
done
if [ -z "$cxx" ]; then
    apt-get update -qq && apt-get install -y -qq clang-19 libclang-rt-19-dev >/dev/null
    cxx=clang++-19
fi
command -v ninja >/dev/null || { apt-get update -qq && apt-get install -y -qq ninja-build >/dev/null; }

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$build" -j2
rm -rf "$build/seeds" && python3 fuzz/make_seed_corpus.py "$build/seeds"

status=0
for target in parse_fuzz roundtrip_fuzz emit_string_fuzz line_reader_fuzz; do
    work="$build/work-$target" && rm -rf "$work" && mkdir -p "$work" "$build/artifacts"
    echo "== $target: ${seconds}s"
    if ! "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
            -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$work" "$build/seeds" \
            > "$build/$target.log" 2>&1; then
        echo "$target found a fault:" >&2
        tail -n 60 "$build/$target.log" >&2
        status=1
    fi
    grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$build/$target.log" || true
done
exit $status
