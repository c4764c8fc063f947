#!/usr/bin/env bash
# Installs what is missing, builds Quillmoor and opens it on a bundled example (or on the
# data file given as the first argument). Needs an X display (DISPLAY set).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quillmoor
file=${1:-examples/vertebrates.csv}
if [ -z "${DISPLAY:-}" ]; then
    echo "run: no X display (DISPLAY is not set); start one, e.g. under a desktop session." >&2
    exit 1
fi
exec build/bin/quillmoor "$file"
