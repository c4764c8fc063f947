#!/usr/bin/env bash
# The web page: installs what is missing, builds build-web/site/ (a static folder:
# index.html with its script, wasm and data files) with Debian's Emscripten, and then:
#   bash scripts/web.sh          builds the site
#   bash scripts/web.sh serve    builds it and serves it on 127.0.0.1 (prints the address;
#                                PORT chooses the port, 8000 by default)
#   bash scripts/web.sh test     builds it, runs the model and reader tests under node and
#                                the browser test in headless Chromium (Debian's chromium,
#                                npm's playwright-core), which compares the page with the
#                                desktop program of build/ (built first if missing)
# NCL's source comes from Debian's source package, fetched once into build-web/ with a
# source list of its own (the machine's apt sources are left as they are).
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-build}
case $mode in
build | serve | test) ;;
*)
    echo "usage: bash scripts/web.sh [build|serve|test]" >&2
    exit 2
    ;;
esac
build=build-web
jobs=$(nproc)

install_missing() { # Debian packages, only those not installed yet
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    echo "web: installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The host build bakes the font with FreeType; the rest is Emscripten's.
install_missing emscripten cmake make g++ pkg-config libfreetype-dev fonts-dejavu-core \
    xz-utils dpkg-dev

fetch_ncl() { # Debian's libncl source, unpacked into $build/ncl-src
    [ -f "$build/ncl-src/ncl/nxsreader.cpp" ] && return
    local apt="$PWD/$build/apt"
    mkdir -p "$apt/lists/partial" "$apt/source"
    echo "deb-src http://deb.debian.org/debian bookworm main" >"$apt/sources.list"
    local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
                   -o "Dir::State::Lists=$apt/lists" -o "Debug::NoLocking=1")
    apt-get "${options[@]}" update -qq
    # Only the upstream tarball is used (apt checks it against the package's .dsc), so a
    # failure to fetch the packaging part is no failure here.
    (cd "$apt/source" && apt-get "${options[@]}" source --download-only -qq libncl) \
        >"$apt/source.log" 2>&1 || true
    local tarball
    tarball=$(ls "$apt"/source/libncl_*.orig.tar.* 2>/dev/null | head -n1)
    [ -n "$tarball" ] || { echo "web: NCL's source could not be fetched" >&2; exit 1; }
    rm -rf "$build/ncl-src" && mkdir -p "$build/ncl-src"
    tar -xf "$tarball" -C "$build/ncl-src" --strip-components=1
}

fetch_ncl
# The browser test compares the page with the desktop program of the desktop build.
desktop=()
if [ "$mode" = test ]; then
    install_missing libgtest-dev chromium xvfb xdotool imagemagick
    [ -d "$build/node_modules/playwright-core" ] || npm install --prefix "$build" --no-save \
        --no-audit --no-fund playwright-core >/dev/null
    if [ ! -x build/bin/quillmoor ]; then
        bash scripts/install-deps.sh
        cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
        cmake --build build -j"$jobs" --target quillmoor
    fi
    desktop=(-DQM_DESKTOP_PROGRAM="$PWD/build/bin/quillmoor")
fi
# emcc needs node's acorn from Debian's node-acorn at its higher optimisation levels.
export NODE_PATH=/usr/share/nodejs
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel -DQM_WERROR=ON "${desktop[@]}" \
      -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" >/dev/null
cmake --build "$build" -j"$jobs" --target quillmoor_web
echo "web: the site is $build/site ($(du -sh "$build/site" | cut -f1)," \
     "$(cat "$build"/site/* | gzip -9 | wc -c) bytes gzipped)"

case $mode in
build) ;;
serve)
    exec node web/serve_site.js "$build/site" "${PORT:-8000}"
    ;;
test)
    cmake --build "$build" -j"$jobs"
    ctest --test-dir "$build" --output-on-failure -j"$jobs" 2>&1 | tee "$build/ctest.log"
    exit "${PIPESTATUS[0]}"
    ;;
esac
