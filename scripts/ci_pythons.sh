#!/usr/bin/env bash
# CI step: the whole pytest suite on every supported Python. For each of 3.11,
# 3.12 and 3.13 it makes a virtual environment in build/venv-X.Y, installs the
# package with its test extras there (so the module is built for that
# interpreter) and runs pytest. An interpreter is taken from pythonX.Y on the
# PATH when that runs, else from pyenv's versions; a missing one fails the step.
#
#   scripts/ci_pythons.sh [pytest arguments...]      (default: tests/python -q)
#
# PLOVARN_PYTHONS overrides the list of versions, e.g. PLOVARN_PYTHONS=3.12.
set -euo pipefail
cd "$(dirname "$0")/.."

read -r -a versions <<<"${PLOVARN_PYTHONS:-3.11 3.12 3.13}"
[ $# -eq 0 ] && set -- tests/python -q
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"

# Prints the path of a working interpreter of version $1 (X.Y), or nothing.
find_python() {
    local want=$1 root candidate
    local candidates=("$(command -v "python$want" || true)")
    for root in "$(pyenv root 2>/dev/null || true)" "${PYENV_ROOT:-$HOME/.pyenv}"; do
        # An unmatched pattern stays as it is and fails the test below.
        [ -n "$root" ] && candidates+=("$root"/versions/"$want".*/bin/python)
    done
    for candidate in "${candidates[@]}"; do
        [ -x "$candidate" ] || continue
        # pyenv's shims exist for versions that are not selected, and then fail.
        if [ "$("$candidate" -c 'import sys; print("%d.%d" % sys.version_info[:2])' 2>/dev/null)" = "$want" ]; then
            echo "$candidate"
            return
        fi
    done
}

for version in "${versions[@]}"; do
    python="$(find_python "$version")"
    if [ -z "$python" ]; then
        echo "Python $version not found (python$version on the PATH, or a pyenv version)" >&2
        exit 1
    fi
    venv="build/venv-$version"
    echo "== Python $version: $python"
    "$python" -m venv --clear "$venv"
    "$venv/bin/python" -m pip install -q ".[test]"
    "$venv/bin/python" -m pytest -p no:cacheprovider "$@"
done
