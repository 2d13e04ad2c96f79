#!/usr/bin/env bash
# Builds the third-party libraries for the mingw-w64 target from Debian source
# packages into a prefix inside the build folder (debian-source.sh fetches
# them without touching the system's apt configuration).
set -euo pipefail

build_dir=${1:?usage: fetch-mingw-deps.sh BUILD_DIR}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$build_dir/deps"
prefix="$deps/prefix"
# pugixml without its C++ stream interface and XPath: the program loads and
# saves through buffers and a writer, and the streams alone would link the
# C++ library's locale machinery (some 400 KiB) into the executable.
pugixml_options=(-DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF -DPUGIXML_NO_STL=ON -DPUGIXML_NO_XPATH=ON)
[ -f "$prefix/.pugixml-nostl-built" ] && [ -f "$prefix/.libjpeg-turbo-noenv-built" ] &&
  [ -f "$prefix/.scintilla-built" ] && exit 0

mkdir -p "$prefix"
# shellcheck source=scripts/debian-source.sh
source "$here/scripts/debian-source.sh"

# Builds and installs source package $1 with CMake options $3...; the stamp
# $2 in the prefix marks it done (a new stamp name after a change of options
# makes every build folder build it again). Built for size, each function in
# a section of its own so that the program's linker keeps only what is called.
build_package() {
  local package=$1 stamp=$2
  shift 2
  [ -f "$prefix/.$stamp-built" ] && return 0
  fetch_source "$package"
  cmake -S "$deps/src/$package" -B "$deps/build-$package" -G Ninja --no-warn-unused-cli \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel "-DCMAKE_C_FLAGS=-ffunction-sections -fdata-sections" \
    "-DCMAKE_CXX_FLAGS=-ffunction-sections -fdata-sections" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$deps/build-$package" >/dev/null
  cmake --install "$deps/build-$package" >/dev/null
  touch "$prefix/.$stamp-built"
}

# A build made with other options is replaced: its stamp has another name.
[ -f "$prefix/.pugixml-nostl-built" ] || rm -rf "$deps/build-pugixml"
build_package pugixml pugixml-nostl "${pugixml_options[@]}"
# The about box decodes its banner with libjpeg: the static library only,
# without the SIMD parts (they need nasm), without the TurboJPEG API, and
# without reading its memory limit from the environment (JPEGMEM), which
# alone brings the C library's sscanf along.
[ -f "$prefix/.libjpeg-turbo-noenv-built" ] || rm -rf "$deps/build-libjpeg-turbo"
build_package libjpeg-turbo libjpeg-turbo-noenv -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF \
  "-DCMAKE_C_FLAGS=-ffunction-sections -fdata-sections -DNO_GETENV" -DCMAKE_INSTALL_LIBDIR="$prefix/lib"

# Scintilla, the script editor's text control, is part of Debian's SciTE
# source package. Its own makefile builds the static library for mingw; the
# lexers (Lexilla) are not needed, the script editor styles its own text.
# Built for size without the regular-expression search through std::regex
# (its own simpler search stays), which alone would add half a megabyte.
if [ ! -f "$prefix/.scintilla-built" ]; then
  rm -rf "$deps/src/scite"
  fetch_source scite
  jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
  make -C "$deps/src/scite/scintilla/win32" -j"$jobs" \
    CXX=x86_64-w64-mingw32-g++-posix AR=x86_64-w64-mingw32-ar RANLIB=x86_64-w64-mingw32-ranlib \
    "BASE_FLAGS=-Os -ffunction-sections -fdata-sections -DNO_CXX11_REGEX" ../bin/libscintilla.a >/dev/null
  mkdir -p "$prefix/include/scintilla" "$prefix/lib"
  cp "$deps/src/scite/scintilla/include/"*.h "$prefix/include/scintilla/"
  cp "$deps/src/scite/scintilla/bin/libscintilla.a" "$prefix/lib/"
  touch "$prefix/.scintilla-built"
fi
