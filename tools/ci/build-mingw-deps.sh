#!/usr/bin/env bash
# Builds the third-party libraries of the Windows cross build from Debian's own
# sources and installs them into build/deps/mingw. zlib comes ready-made
# (libz-mingw-w64-dev); libzip is built here, static, with only what the host
# uses: deflate, traditional PKWARE encryption and Windows' own AES.
# Does nothing when the prefix already holds the build of this libzip version.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
PREFIX="${ZEL_MINGW_PREFIX:-$ROOT/build/deps/mingw}"
CACHE="$ROOT/build/deps/cache"
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
STAMP="$PREFIX/.libzip-source-version"

log() { echo "build-mingw-deps: $*" >&2; }

need_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    log "installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# `apt-get source` needs deb-src entries; mirror every deb entry of the machine.
ensure_deb_src() {
  if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 1
  fi
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -e "$f" ]] || continue
    sed -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb-src/' "$f" \
      >"/etc/apt/sources.list.d/zel-src-$(basename "$f")"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -e "$f" ]] || continue
    grep -E '^deb ' "$f" | sed -E 's/^deb /deb-src /' \
      >"/etc/apt/sources.list.d/zel-src-$(basename "$f")" || true
  done
  log "added deb-src entries"
  return 0
}

available_version() { apt-cache showsrc libzip 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -1; }

fetch_source() {
  local version="$1" dir
  dir="$(find "$CACHE" -maxdepth 1 -type d -name 'libzip-*' 2>/dev/null | head -1)"
  if [[ -n "$dir" && -f "$CACHE/.version" && "$(cat "$CACHE/.version")" == "$version" ]]; then
    echo "$dir"
    return
  fi
  rm -rf "$CACHE"
  mkdir -p "$CACHE"
  (cd "$CACHE" && apt-get source -qq "libzip=$version" >&2)
  echo "$version" >"$CACHE/.version"
  find "$CACHE" -maxdepth 1 -type d -name 'libzip-*' | head -1
}

build_libzip() {
  local src="$1" build="$ROOT/build/deps/libzip-build"
  rm -rf "$build"
  cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DBUILD_SHARED_LIBS=OFF \
    -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DENABLE_OPENSSL=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF \
    -DENABLE_WINDOWS_CRYPTO=ON \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include \
    -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
    -Wno-dev >"$ROOT/build/deps/libzip-configure.log"
  cmake --build "$build" >"$ROOT/build/deps/libzip-build.log"
  cmake --install "$build" >/dev/null
}

main() {
  need_packages g++-mingw-w64-x86-64-posix libz-mingw-w64-dev cmake ninja-build dpkg-dev
  mkdir -p "$ROOT/build/deps"
  if [[ -f "$STAMP" && -f "$PREFIX/lib/libzip.a" && -z "${ZEL_DEPS_REFRESH:-}" ]]; then
    log "libzip $(cat "$STAMP") already in $PREFIX"
    return
  fi
  if ensure_deb_src || [[ -z "$(available_version)" ]]; then apt-get update -qq; fi
  local version src
  version="$(available_version)"
  [[ -n "$version" ]] || { log "no source package for libzip"; exit 1; }
  src="$(fetch_source "$version")"
  log "building libzip $version from $src"
  build_libzip "$src"
  echo "$version" >"$STAMP"
  log "installed into $PREFIX"
}

main "$@"
