#!/usr/bin/env bash
# Builds pugixml from its Debian source package with clang and the fuzzing
# instrumentation (libFuzzer's coverage hooks, ASan, UBSan) into a prefix
# inside the fuzz build folder, so that the fuzz targets reach inside the XML
# parser too. Debian's binary package is built without them.
set -euo pipefail

build_dir=${1:?usage: fetch-fuzz-deps.sh BUILD_DIR}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
deps="$build_dir/deps"
prefix="$deps/prefix"
stamp="$prefix/.pugixml-built"
[ -f "$stamp" ] && exit 0

mkdir -p "$prefix"
# shellcheck source=scripts/debian-source.sh
source "$(dirname "$0")/debian-source.sh"
fetch_source pugixml

flags="-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S "$deps/src/pugixml" -B "$deps/build-pugixml" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib >/dev/null
cmake --build "$deps/build-pugixml" -j2 >/dev/null
cmake --install "$deps/build-pugixml" >/dev/null
touch "$stamp"
