#!/usr/bin/env bash
# Builds pugixml from its Debian source package with clang and the fuzzing
# instrumentation (libFuzzer's coverage hooks, ASan, UBSan) into a prefix
# inside the fuzz build folder, so that the fuzz targets reach inside the XML
# parser too. Debian's binary package is built without them. Nothing here
# touches the system's apt configuration: the deb-src list and the package
# lists live in the build folder.
set -euo pipefail

build_dir=${1:?usage: fetch-fuzz-deps.sh BUILD_DIR}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
deps="$build_dir/deps"
prefix="$deps/prefix"
stamp="$prefix/.pugixml-built"
[ -f "$stamp" ] && exit 0

mkdir -p "$deps/apt/lists/partial" "$deps/apt/sources" "$deps/src" "$prefix"

# Mirror the system's binary package sources as source package sources.
src_list="$deps/apt/sources/src.sources"
: >"$src_list"
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  sed -e 's/^Types:.*/Types: deb-src/' "$f" >>"$src_list"
  echo >>"$src_list"
done
if [ -f /etc/apt/sources.list ]; then
  grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$deps/apt/sources/src.list" || true
fi

if [ ! -d "$deps/src/pugixml" ]; then
  touch "$deps/apt/empty.list"
  apt_opts=(-o "Dir::Etc::SourceList=$deps/apt/empty.list"
            -o "Dir::Etc::SourceParts=$deps/apt/sources"
            -o "Dir::State::Lists=$deps/apt/lists"
            -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root")
  apt-get "${apt_opts[@]}" update -qq
  (cd "$deps/src" && apt-get "${apt_opts[@]}" source --download-only -qq pugixml \
    && dpkg-source -x --no-check ./pugixml_*.dsc pugixml >/dev/null)
fi

flags="-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S "$deps/src/pugixml" -B "$deps/build-pugixml" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib >/dev/null
cmake --build "$deps/build-pugixml" -j2 >/dev/null
cmake --install "$deps/build-pugixml" >/dev/null
touch "$stamp"
