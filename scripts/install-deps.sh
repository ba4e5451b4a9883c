#!/usr/bin/env bash
# Installs what building, playing and testing Kestrevan need, and nothing
# that is already there. Debian/Ubuntu through apt; other systems get the
# package names to install by hand.
set -euo pipefail
# `install-deps.sh web` installs instead what the browser build needs
# (make web): Debian's emscripten, Chromium to check the page, the tools
# that unpack Debian source packages, and npm for puppeteer-core.
MODE=${1:-native}

DEBIAN_PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-image-dev libopenal-dev libsquish-dev libcairo2-dev
  libcli11-dev libgtest-dev libbenchmark-dev fonts-dejavu-core
  libx11-dev openbox x11-apps xauth xdotool xvfb
  desktop-file-utils appstream man-db groff-base
)

print_other_systems() {
  cat <<'TXT'
Kestrevan needs a C++20 compiler, CMake 3.22+, SDL2, SDL2_image, OpenAL Soft,
libsquish, cairo, CLI11, GoogleTest and the DejaVu fonts. Install them with:
  Fedora:  sudo dnf install gcc-c++ cmake pkgconf SDL2-devel SDL2_image-devel openal-soft-devel libsquish-devel cairo-devel cli11-devel gtest-devel google-benchmark-devel dejavu-sans-fonts
  Arch:    sudo pacman -S --needed base-devel cmake pkgconf sdl2 sdl2_image openal libsquish cairo cli11 gtest benchmark ttf-dejavu
  macOS:   brew install cmake pkg-config sdl2 sdl2_image openal-soft libsquish cairo cli11 googletest google-benchmark
  Windows: vcpkg install sdl2 sdl2-image[libjpeg-turbo] openal-soft libsquish cairo cli11 gtest benchmark
The packaging checks (make package-check) also need desktop-file-validate,
appstreamcli, man and groff:
  Fedora:  sudo dnf install desktop-file-utils appstream man-db groff-base
  Arch:    sudo pacman -S --needed desktop-file-utils appstream man-db groff
TXT
}

if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg-query >/dev/null 2>&1; then
  if [ "$MODE" = web ]; then
    echo "install-deps: the browser build is scripted for Debian 12 (emscripten 3.1.6) only" >&2
    exit 1
  fi
  print_other_systems
  exit 0
fi

if [ "$MODE" = web ]; then
  # The asset generator stays native, so the web build needs the native
  # packages too. npm may come with a nodejs from elsewhere: ask for it only
  # when the command is missing.
  DEBIAN_PACKAGES+=(emscripten chromium dpkg-dev python3 ca-certificates gzip)
  command -v npm >/dev/null 2>&1 || DEBIAN_PACKAGES+=(npm)
fi

missing=()
for p in "${DEBIAN_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "install-deps: need root (or sudo) to install: ${missing[*]}" >&2
    exit 1
  fi
fi

# Another apt (an unattended upgrade, say) may hold the dpkg lock for a while:
# wait for it rather than fail.
apt_retry() {
  local tries=0
  until $SUDO env DEBIAN_FRONTEND=noninteractive "$@"; do
    tries=$((tries + 1))
    if [ $tries -ge 30 ]; then echo "install-deps: apt kept failing: $*" >&2; return 1; fi
    echo "install-deps: apt busy or failed, retrying in 10 s ($tries/30)" >&2
    sleep 10
  done
}

echo "install-deps: installing ${missing[*]}"
apt_retry apt-get update -q
apt_retry apt-get install -y -q --no-install-recommends "${missing[@]}"
