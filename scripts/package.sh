#!/usr/bin/env bash
# Installs what is missing, builds Quillmoor without its tests and benchmarks in
# build-pkg/, and makes the Debian package there: build-pkg/quillmoor_VERSION_ARCH.deb.
# Install it with: apt-get install ./build-pkg/quillmoor_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# A folder of its own: turning the tests off in build/ would stay in its cache.
cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_TESTS=OFF -DQM_BENCH=OFF >/dev/null
cmake --build build-pkg -j"$(nproc)"
(cd build-pkg && cpack -G DEB)
ls build-pkg/quillmoor_*.deb
