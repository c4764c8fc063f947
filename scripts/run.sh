#!/usr/bin/env bash
# Installs what is missing, builds Quillmoor and opens it on a bundled example (or on the
# data file given as the first argument, relative to the folder the script is run from).
# Needs an X display (DISPLAY set); that is checked before anything is installed or built.
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
    echo "run: no X display (DISPLAY is not set); start one, e.g. under a desktop session." >&2
    exit 1
fi
repo=$(cd "$(dirname "$0")/.." && pwd)
file=${1:-$repo/examples/vertebrates.csv}
# The build runs in the repository; a relative name means the caller's folder.
case $file in
    /*) ;;
    *) file=$PWD/$file ;;
esac
cd "$repo"
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quillmoor
exec build/bin/quillmoor "$file"
