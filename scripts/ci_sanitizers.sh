#!/usr/bin/env bash
# CI step: the whole pytest suite against the module built with AddressSanitizer
# and UndefinedBehaviorSanitizer (see scripts/asan_pytest.sh). Uses g++ and its
# sanitizer runtimes, which the build image already has; installs the test
# dependencies if they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 -c "import pytest, hypothesis" 2>/dev/null || python3 -m pip install -q "pytest>=7" "hypothesis>=6"
command -v ninja >/dev/null || { apt-get update -qq && apt-get install -y -qq ninja-build >/dev/null; }
# The packaging test builds wheels in fresh virtual environments and the typing
# test runs mypy: neither exercises the module's native code, and both run in
# the plain test step.
exec scripts/asan_pytest.sh tests/python -q \
    --ignore tests/python/test_packaging.py --ignore tests/python/test_typing.py "$@"
