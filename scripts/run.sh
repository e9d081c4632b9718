#!/usr/bin/env bash
# Sets up a fresh machine, builds Velmora and runs it against the simulated polarimeter.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
echo "velmora: the application and the simulated instrument are not built yet" >&2
exit 1
