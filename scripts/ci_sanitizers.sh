#!/usr/bin/env bash
# CI step: the whole pytest suite against the module built with AddressSanitizer
# and UndefinedBehaviorSanitizer (see scripts/asan_pytest.sh). Uses g++ and its
# sanitizer runtimes, which the build image already has.
set -euo pipefail
cd "$(dirname "$0")/.."
# The interpreter gets the test extras' requirements, but not the package: the
# instrumented build is put first on its path.
mapfile -t requirements < <(python3 -c 'import tomllib; print("\n".join(tomllib.load(open("pyproject.toml", "rb"))["project"]["optional-dependencies"]["test"]))')
python3 -m pip install -q "${requirements[@]}"
command -v ninja >/dev/null || { apt-get update -qq && apt-get install -y -qq ninja-build >/dev/null; }
# The packaging test builds wheels in fresh virtual environments and the typing
# test runs mypy: neither exercises the module's native code, and both run in
# the plain test step.
exec scripts/asan_pytest.sh tests/python \
    --ignore tests/python/test_packaging.py --ignore tests/python/test_typing.py "$@"
