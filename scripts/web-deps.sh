#!/usr/bin/env bash
# Builds the libraries of the browser build for emscripten, from Debian's own
# source packages: SDL2, SDL2_image (its bundled stb_image reads PNG and
# JPEG, so no image library is fetched) and libsquish. Emscripten's "ports"
# would download them from the internet; these come from the same mirrors as
# every other package. The result is a prefix under build-web/deps that the
# game's web build points CMake at; a second run finds it and does nothing.
#
# Usage: scripts/web-deps.sh [BUILD_DIR]   (default build-web)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/build-web}
DEPS=$OUT/deps
PREFIX=$DEPS/prefix
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
# Debian's emcc finds its JavaScript helpers (node-acorn) only here.
export NODE_PATH=/usr/share/nodejs
# What the prefix was built from: a change rebuilds it.
RECIPE="sdl2 sdl2-image(stb) squish(no-openmp,no-sse) cli11 / $(emcc --version 2>/dev/null | sed -n 1p)"

if [ -f "$PREFIX/.built" ] && [ "$(cat "$PREFIX/.built")" = "$RECIPE" ]; then
  exit 0
fi
command -v emcc >/dev/null || { echo "web-deps: no emcc; run scripts/install-deps.sh web" >&2; exit 1; }

SUDO=""
[ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null 2>&1 && SUDO=sudo

# apt-get source needs deb-src lines: the same mirrors as the binary
# packages, added once.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  echo "web-deps: adding deb-src lines for the configured mirrors"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed 's/^Types: deb$/Types: deb-src/' "$f" | $SUDO tee "/etc/apt/sources.list.d/src-$(basename "$f")" >/dev/null
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $SUDO tee /etc/apt/sources.list.d/src-list.list >/dev/null
  fi
  $SUDO apt-get update -qq
fi

rm -rf "$DEPS"
mkdir -p "$DEPS/src" "$PREFIX"
step() { local s=$SECONDS; "$@"; echo "web-deps: $(( SECONDS - s )) s: ${*:1:3}"; }
log() { local name=$1; shift; "$@" > "$DEPS/$name.log" 2>&1 || { tail -30 "$DEPS/$name.log" >&2; return 1; }; }

(cd "$DEPS/src" && log source apt-get source libsdl2 libsdl2-image libsquish)
SDL_SRC=$(echo "$DEPS"/src/libsdl2-2.*/)
IMG_SRC=$(echo "$DEPS"/src/libsdl2-image-2.*/)
SQUISH_SRC=$(echo "$DEPS"/src/libsquish-1.*/)

# SDL2, static and without threads (a threaded wasm needs cross-origin
# isolation headers no simple web server sends). Its configure runs emcc and
# node for every check, so it takes minutes.
step log sdl2-configure emcmake cmake -S "$SDL_SRC" -B "$DEPS/build-sdl2" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_PTHREADS=OFF -DSDL_THREADS=OFF
step log sdl2-build cmake --build "$DEPS/build-sdl2" -j"$JOBS"
log sdl2-install cmake --install "$DEPS/build-sdl2"

# The root path keeps find_package away from emscripten's own stub SDL2
# config, which means the downloading port.
step log image-configure emcmake cmake -S "$IMG_SRC" -B "$DEPS/build-image" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_FIND_ROOT_PATH="$PREFIX" \
  -DBUILD_SHARED_LIBS=OFF -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_VENDORED=OFF \
  -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF \
  -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF
step log image-build cmake --build "$DEPS/build-image" -j"$JOBS"
log image-install cmake --install "$DEPS/build-image"
# SDL2_image 2.6.3's installed config asks for libjpeg and libpng even when
# stb reads those formats.
sed -i -e 's/^if(SDL2IMAGE_JPG AND NOT SDL2IMAGE_VENDORED/if(SDL2IMAGE_JPG AND NOT SDL2IMAGE_BACKEND_STB AND NOT SDL2IMAGE_VENDORED/' \
  -e 's/^if(SDL2IMAGE_PNG AND NOT SDL2IMAGE_VENDORED/if(SDL2IMAGE_PNG AND NOT SDL2IMAGE_BACKEND_STB AND NOT SDL2IMAGE_VENDORED/' \
  "$PREFIX/lib/cmake/SDL2_image/SDL2_imageConfig.cmake"

# libsquish without OpenMP (threads again) and without SSE.
step log squish-configure emcmake cmake -S "$SQUISH_SRC" -B "$DEPS/build-squish" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DBUILD_SQUISH_WITH_OPENMP=OFF \
  -DBUILD_SQUISH_WITH_SSE2=OFF -DBUILD_SQUISH_WITH_ALTIVEC=OFF -DBUILD_SQUISH_EXTRA=OFF
step log squish-build cmake --build "$DEPS/build-squish" -j"$JOBS"
log squish-install cmake --install "$DEPS/build-squish"

# CLI11 is headers only: Debian's copy serves, seen through the prefix so
# the rest of /usr/include (glibc's headers) stays out of the wasm build.
if [ -f /usr/include/CLI/CLI.hpp ]; then
  cp -r /usr/include/CLI "$PREFIX/include/"
else
  echo "web-deps: CLI11 headers missing (libcli11-dev); run scripts/install-deps.sh web" >&2
  exit 1
fi

echo "$RECIPE" > "$PREFIX/.built"
ls -l "$PREFIX"/lib/*.a
