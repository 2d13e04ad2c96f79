# Sourced by the dependency scripts: fetch_source PACKAGE unpacks a Debian
# source package into $deps/src/PACKAGE (once). The deb-src list and the
# package lists live in $deps/apt, mirrored from the system's binary package
# sources; nothing in the system's apt configuration changes.

tav_apt_ready=""

tav_prepare_apt() {
  mkdir -p "$deps/apt/lists/partial" "$deps/apt/sources" "$deps/src"
  local src_list="$deps/apt/sources/src.sources" f
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
  tav_apt_ready=1
}

fetch_source() {
  local package=$1
  [ -d "$deps/src/$package" ] && return 0
  [ -n "$tav_apt_ready" ] || tav_prepare_apt
  (cd "$deps/src" && apt-get "${apt_opts[@]}" source --download-only -qq "$package" \
    && dpkg-source -x --no-check ./"${package}"_*.dsc "$package" >/dev/null)
}
