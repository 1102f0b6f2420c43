#!/usr/bin/env bash
# Installs what the tests need, builds the command and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh g++ cmake make libgtest-dev faketime libfaketime tzdata
cmake --preset test
cmake --build --preset test -j"$(nproc)"
ctest --preset test -j"$(nproc)"
