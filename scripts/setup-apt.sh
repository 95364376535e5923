#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: a marker
# file records the package list that was installed, so a second run costs nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
marker="$here/.cache/apt-done"

packages=(
  g++ cmake ninja-build make dpkg-dev python3 file
  g++-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386
  xvfb xdotool xclip imagemagick x11-utils
  zbar-tools
  googletest libgtest-dev
  zip unzip
)
want="${packages[*]}"
if [ -f "$marker" ] && [ "$(cat "$marker")" = "$want" ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "setup-apt: the packages must be installed as root (run: sudo $0)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
dpkg --add-architecture i386
# `apt-get source` needs deb-src entries; minimal images come without them.
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  cat > /etc/apt/sources.list.d/kelvora-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi
apt-get update -q
apt-get install -y -q "${packages[@]}" fonts-dejavu-core
mkdir -p "$(dirname "$marker")"
echo "$want" > "$marker"
