#!/usr/bin/env bash
# Builds the third-party libraries for the mingw-w64 target from Debian source
# packages into a prefix inside the build folder. Nothing here touches the
# system's apt configuration: the deb-src list and the package lists live in
# the build folder too.
set -euo pipefail

build_dir=${1:?usage: fetch-mingw-deps.sh BUILD_DIR}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$build_dir/deps"
prefix="$deps/prefix"
stamp="$prefix/.pugixml-built"
scintilla_stamp="$prefix/.scintilla-built"
[ -f "$stamp" ] && [ -f "$scintilla_stamp" ] && exit 0

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

touch "$deps/apt/empty.list"
apt_opts=(-o "Dir::Etc::SourceList=$deps/apt/empty.list"
          -o "Dir::Etc::SourceParts=$deps/apt/sources"
          -o "Dir::State::Lists=$deps/apt/lists"
          -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root")
apt-get "${apt_opts[@]}" update -qq

if [ ! -f "$stamp" ]; then
  (cd "$deps/src" && apt-get "${apt_opts[@]}" source --download-only -qq pugixml \
    && dpkg-source -x --no-check ./pugixml_*.dsc pugixml >/dev/null)

  cmake -S "$deps/src/pugixml" -B "$deps/build-pugixml" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF \
    "-DCMAKE_CXX_FLAGS=-ffunction-sections -fdata-sections" \
    -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$deps/build-pugixml" >/dev/null
  cmake --install "$deps/build-pugixml" >/dev/null
  touch "$stamp"
fi

# Scintilla, the script editor's text control, is part of Debian's SciTE
# source package. Its own makefile builds the static library for mingw; the
# lexers (Lexilla) are not needed, the script editor styles its own text.
# Built for size without the regular-expression search through std::regex
# (its own simpler search stays), which alone would add half a megabyte.
if [ ! -f "$scintilla_stamp" ]; then
  rm -rf "$deps/src/scite"
  (cd "$deps/src" && apt-get "${apt_opts[@]}" source --download-only -qq scite \
    && dpkg-source -x --no-check ./scite_*.dsc scite >/dev/null)
  jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
  make -C "$deps/src/scite/scintilla/win32" -j"$jobs" \
    CXX=x86_64-w64-mingw32-g++-posix AR=x86_64-w64-mingw32-ar RANLIB=x86_64-w64-mingw32-ranlib \
    "BASE_FLAGS=-Os -ffunction-sections -fdata-sections -DNO_CXX11_REGEX" ../bin/libscintilla.a >/dev/null
  mkdir -p "$prefix/include/scintilla" "$prefix/lib"
  cp "$deps/src/scite/scintilla/include/"*.h "$prefix/include/scintilla/"
  cp "$deps/src/scite/scintilla/bin/libscintilla.a" "$prefix/lib/"
  touch "$scintilla_stamp"
fi
