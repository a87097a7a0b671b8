#!/usr/bin/env bash
# Builds, for the Windows cross build, the libraries Debian ships only for
# Linux: libxml2 from its Debian source package, shapelib's table code from
# the copy inside Debian's gdal source package, and GoogleTest from Debian's
# googletest sources. Everything goes into one ignored folder (by default
# .deps-windows/ beside this script's project); a library already built there
# is kept, so running this again costs nothing.
#
# The source packages are fetched with apt-get through a private apt state
# inside that folder, whose deb-src entries mirror the machine's own Debian
# sources: nothing of the system's apt set-up is changed and no root is needed.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
deps="${TMQ_WINDOWS_DEPS:-$root/.deps-windows}"
host=x86_64-w64-mingw32
cc="$host-gcc-posix"
cxx="$host-g++-posix"
prefix="$deps/prefix"
jobs="${JOBS:-2}"

mkdir -p "$deps/src" "$prefix/include" "$prefix/lib"
deps="$(cd "$deps" && pwd)"
prefix="$deps/prefix"
# Source paths inside the libraries (libxml2 names its files in its errors)
# are relative to this folder, so that the programs are the same bytes
# wherever the project is. A library built with other flags is built again.
cflags="-O2 -w -ffile-prefix-map=$deps/="

if ! command -v "$cxx" >/dev/null; then
  echo "Falta el compilador $cxx (paquete g++-mingw-w64-x86-64-posix); ejecute scripts/setup.sh" >&2
  exit 1
fi

# --- Private apt state with source entries ---------------------------------

apt_dir="$deps/apt"
apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=root"
)

# The deb-src twins of the machine's active Debian "deb" entries, in both
# the one-line and the deb822 formats.
write_source_entries() {
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  local out="$apt_dir/sources.list"
  : >"$out"
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    grep -E '^[[:space:]]*deb[[:space:]]' "$f" | grep -i debian |
      sed -E 's/^[[:space:]]*deb[[:space:]]/deb-src /' >>"$out" || true
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # One stanza per blank-line-separated block; keep those that are Debian's.
    awk -v RS='' -v ORS='\n\n' 'tolower($0) ~ /debian/ && $0 ~ /Types:[^\n]*deb/ {
        gsub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
  done
  if [ ! -s "$out" ] && [ -z "$(cat "$apt_dir"/sources.list.d/*.sources 2>/dev/null)" ]; then
    echo "No se encontró ninguna fuente de paquetes de Debian en /etc/apt" >&2
    exit 1
  fi
}

apt_updated=0
fetch_source() { # package [--download-only]
  if [ "$apt_updated" = 0 ]; then
    write_source_entries
    apt-get -q "${apt_opts[@]}" update >/dev/null
    apt_updated=1
  fi
  (cd "$deps/src" && apt-get -q "${apt_opts[@]}" source "$@" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
}

# --- libxml2 ----------------------------------------------------------------

build_libxml2() {
  if [ -f "$prefix/lib/libxml2.a" ] && [ "$(cat "$prefix/.libxml2-done" 2>/dev/null)" = "$cflags" ]; then
    return
  fi
  echo "libxml2: fuente de Debian y compilación para Windows"
  local dir
  dir="$(ls -d "$deps"/src/libxml2-*/ 2>/dev/null | head -1 || true)"
  if [ -z "$dir" ] || [ ! -f "$dir/configure.ac" ]; then
    fetch_source libxml2
    dir="$(ls -d "$deps"/src/libxml2-*/ | head -1)"
  fi
  local build="$deps/build/libxml2"
  rm -rf "$build"
  mkdir -p "$build"
  # The tree, XPath, the reader, the writer and output; nothing that reaches
  # the network, compresses or converts through a system library.
  (cd "$build" && "$dir/configure" -q --host="$host" --prefix="$prefix" \
     CC="$cc" CFLAGS="$cflags" \
     --disable-maintainer-mode --enable-static --disable-shared \
     --without-iconv --without-icu --without-zlib --without-lzma \
     --without-http --without-ftp --without-python --without-catalog \
     --without-debug --without-modules --without-legacy --without-docbook \
     --with-tree --with-xpath --with-reader --with-writer --with-output \
     --with-push --with-sax1 --with-threads >/dev/null)
  make -C "$build" -s -j "$jobs" libxml2.la >/dev/null
  make -C "$build" -s install-libLTLIBRARIES >/dev/null
  make -C "$build/include" -s install >/dev/null
  rm -f "$prefix"/lib/libxml2.la
  echo "$cflags" >"$prefix/.libxml2-done"
}

# --- shapelib's table code from gdal's source --------------------------------

build_shapelib() {
  if [ -f "$prefix/lib/libshp.a" ] && [ "$(cat "$prefix/.shapelib-done" 2>/dev/null)" = "$cflags" ]; then
    return
  fi
  echo "shapelib (dbfopen.c de la fuente de gdal): compilación para Windows"
  local dir="$deps/src/shapelib"
  if [ ! -f "$dir/dbfopen.c" ] || [ ! -f "$dir/shapefil.h" ]; then
    local tarball
    tarball="$(ls "$deps"/src/gdal_*.orig.tar.* 2>/dev/null | head -1 || true)"
    if [ -z "$tarball" ]; then
      # gdal's source is large: download it once, unpack only the two files.
      fetch_source --download-only gdal
      tarball="$(ls "$deps"/src/gdal_*.orig.tar.* | head -1)"
    fi
    mkdir -p "$dir"
    tar -xf "$tarball" -C "$dir" --strip-components=4 --wildcards \
      '*/ogr/ogrsf_frmts/shape/dbfopen.c' '*/ogr/ogrsf_frmts/shape/shapefil.h'
    # Newer gdal (Debian 13's) keeps shapelib's private declarations apart.
    tar -xf "$tarball" -C "$dir" --strip-components=4 --wildcards \
      '*/ogr/ogrsf_frmts/shape/shapefil_private.h' 2>/dev/null || true
    # Debian's patches for gdal, applied where they touch these files.
    local debian
    debian="$(ls "$deps"/src/gdal_*.debian.tar.* 2>/dev/null | head -1 || true)"
    if [ -n "$debian" ]; then
      local patches="$deps/src/gdal-patches"
      rm -rf "$patches" && mkdir -p "$patches"
      tar -xf "$debian" -C "$patches" debian/patches
      local p
      while read -r p; do
        [ -n "$p" ] && [ "${p#\#}" = "$p" ] || continue
        if grep -q '^+++ .*ogr/ogrsf_frmts/shape/\(dbfopen\.c\|shapefil\.h\)' "$patches/debian/patches/$p"; then
          # Keep only these two files' sections of the patch.
          awk '/^--- /{hdr=$0; next} /^\+\+\+ /{keep = ($0 ~ /shape\/(dbfopen\.c|shapefil\.h)/);
                 if (keep) print hdr} /^(diff |Index: )/{keep=0} keep' \
            "$patches/debian/patches/$p" | (cd "$dir" && patch -s -p4)
        fi
      done <"$patches/debian/patches/series"
    fi
  fi
  local build="$deps/build/shapelib"
  mkdir -p "$build"
  # Only the table code, with no GDAL support code (USE_CPL unset): the
  # program hands it its own file hooks, shapelib's default hooks included.
  # shellcheck disable=SC2086 # the flags are words
  "$cc" $cflags -c "$dir/dbfopen.c" -I"$dir" -o "$build/dbfopen.o"
  rm -f "$prefix/lib/libshp.a"
  "$host-ar" rcs "$prefix/lib/libshp.a" "$build/dbfopen.o"
  cp "$dir/shapefil.h" "$prefix/include/"
  echo "$cflags" >"$prefix/.shapelib-done"
}

# --- GoogleTest from Debian's googletest sources -----------------------------

build_googletest() {
  if [ -f "$prefix/lib/libgtest.a" ] && [ -f "$prefix/.googletest-done" ]; then
    return
  fi
  echo "GoogleTest (fuente de Debian): compilación para Windows"
  local src=/usr/src/googletest
  if [ ! -f "$src/CMakeLists.txt" ]; then
    echo "Falta la fuente de GoogleTest en $src (paquete googletest); ejecute scripts/setup.sh" >&2
    exit 1
  fi
  local build="$deps/build/googletest"
  rm -rf "$build"
  cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DTMQ_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$build" -j "$jobs" >/dev/null
  cmake --install "$build" >/dev/null
  touch "$prefix/.googletest-done"
}

build_libxml2
build_shapelib
build_googletest
