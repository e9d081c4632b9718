#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and runs the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
