#!/usr/bin/env bash
# Builds GoogleTest for i686 mingw from Debian's googletest sources into .cache/deps-i686. Built once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=$root/.cache
deps=$cache/deps-i686
[ -f "$deps/lib/cmake/GTest/GTestConfig.cmake" ] && exit 0
work=$cache/build-gtest
rm -rf "$work"
cmake -S /usr/src/googletest -B "$work" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON \
  -Dgtest_disable_pthreads=ON >/dev/null
cmake --build "$work" -j2 >/dev/null
cmake --install "$work" >/dev/null
rm -rf "$work"
echo "build-gtest-mingw: $deps"
