#!/usr/bin/env bash
# Runs the pytest suite against a build of the module with AddressSanitizer and
# UndefinedBehaviorSanitizer. The interpreter itself is not instrumented, so the
# sanitizer runtime is preloaded into it; PYTHONMALLOC=malloc sends every Python
# allocation through the sanitizer's allocator so that overruns of Python objects
# are caught too. Any sanitizer report fails the run.
#
#   scripts/asan_pytest.sh [pytest arguments...]     (default: tests/python)
#
# Build directory: $PLOVARN_ASAN_BUILD (default build-asan).
set -euo pipefail
cd "$(dirname "$0")/.."

build="${PLOVARN_ASAN_BUILD:-build-asan}"
python="${PYTHON:-python3}"
san="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPLOVARN_BUILD_TESTS=OFF -DPLOVARN_BUILD_MODULE=ON \
    -DPython_EXECUTABLE="$(command -v "$python")" \
    -DCMAKE_CXX_FLAGS="$san" -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target plovarn -j2

asan_rt="$(${CXX:-g++} -print-file-name=libasan.so)"
ubsan_rt="$(${CXX:-g++} -print-file-name=libubsan.so)"
log_dir="$build/sanitizer-logs"
rm -rf "$log_dir" && mkdir -p "$log_dir"

# Leaks are checked by tests/python/test_leaks.py instead: at exit the interpreter
# keeps much of its memory on purpose, which the leak checker would report.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:halt_on_error=1:log_path=$log_dir/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$log_dir/ubsan"
export PYTHONMALLOC=malloc

# Instrumented frames are several times larger than release ones; the tests that
# convert the deepest trees the module accepts need more than the usual 8 MB.
ulimit -s 65536 2>/dev/null || true

[ $# -eq 0 ] && set -- tests/python
status=0
LD_PRELOAD="$asan_rt:$ubsan_rt" PYTHONPATH="$build${PYTHONPATH:+:$PYTHONPATH}" \
    "$python" -m pytest -q -p no:cacheprovider "$@" || status=$?

if compgen -G "$log_dir/*" >/dev/null; then
    echo "sanitizer reports:" >&2
    cat "$log_dir"/* >&2
    exit 1
fi
exit $status
