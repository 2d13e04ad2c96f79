#!/usr/bin/env bash
# Installs what building, running and testing Tavrelin needs on Debian:
# compilers (native and mingw-w64), libraries, Wine, a virtual display with a
# window manager, a CJK font and the Chinese locale. Does nothing that is
# already done.
set -euo pipefail

packages=(
  cmake ninja-build make g++ pkg-config dpkg-dev clang libclang-rt-dev
  libpugixml-dev googletest libgtest-dev libgmock-dev libbenchmark-dev libgcrypt20-dev
  mingw-w64 g++-mingw-w64-x86-64-posix
  openssl wine wine64 xvfb fvwm xdotool x11-utils imagemagick fonts-wqy-zenhei locales python3
  fp-utils
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale: code page 936 needs zh_CN.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  echo "Generating the zh_CN.UTF-8 locale"
  $sudo sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
