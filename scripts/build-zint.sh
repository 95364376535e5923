#!/usr/bin/env bash
# Cross-builds a self-contained 32-bit zint.exe from Debian's zint and libpng1.6
# source packages (static, no Qt) into .cache/zint/zint.exe. Built once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=$root/.cache
out=$cache/zint/zint.exe
[ -f "$out" ] && exit 0

tc=$root/cmake/mingw-i686.cmake
deps=$cache/deps-i686
mingw=/usr/i686-w64-mingw32
src=$cache/src
work=$cache/build-zint
rm -rf "$work" "$src"
mkdir -p "$src" "$work"
(cd "$src" && apt-get source -q zint libpng1.6 >/dev/null 2>&1) || {
  echo "build-zint: 'apt-get source zint libpng1.6' failed (deb-src entries missing?)" >&2; exit 1; }
png_src=$(ls -d "$src"/libpng1.6-*/ | head -1)
zint_src=$(ls -d "$src"/zint-*/ | head -1)

cmake -S "$png_src" -B "$work/libpng" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$deps" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_LIBRARY=$mingw/lib/libz.a -DZLIB_INCLUDE_DIR=$mingw/include >/dev/null
cmake --build "$work/libpng" -j2 >/dev/null
cmake --install "$work/libpng" >/dev/null

# The frontend links the shared library by default; link the static one.
sed -i 's/^target_link_libraries(${PROJECT_NAME} zint)$/target_link_libraries(${PROJECT_NAME} zint-static)/' \
  "$zint_src/frontend/CMakeLists.txt"
cmake -S "$zint_src" -B "$work/zint" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" -DCMAKE_BUILD_TYPE=Release \
  -DZINT_USE_QT=OFF -DZINT_STATIC=ON -DZINT_USE_PNG=ON \
  -DPNG_LIBRARY="$deps/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$deps/include" \
  -DZLIB_LIBRARY=$mingw/lib/libz.a -DZLIB_INCLUDE_DIR=$mingw/include \
  -DCMAKE_EXE_LINKER_FLAGS="-static -static-libgcc -static-libstdc++ -s" >/dev/null
cmake --build "$work/zint" -j2 --target zint_frontend >/dev/null

# The licence texts that go beside zint.exe: the frontend is GPL-3.0-or-later,
# the library BSD-3-Clause, and libpng and zlib are linked in.
mkdir -p "$(dirname "$out")"
cp "$zint_src/LICENSE" "$cache/zint/LICENSE.txt"
cp "$zint_src/debian/copyright" "$cache/zint/COPYRIGHT-zint.txt"
cp /usr/share/common-licenses/GPL-3 "$cache/zint/COPYING-GPL-3.txt"
cp "$png_src/LICENSE" "$cache/zint/LICENSE-libpng.txt"
cat > "$cache/zint/SOURCE.txt" <<SRC
zint.exe is the command-line program of Zint $(basename "$zint_src" | sed "s/^zint-//"), built from unchanged sources
(static, no Qt) from Debian's source package zint, with $(basename "$png_src" | sed 's/^libpng1.6-/libpng /')
and zlib linked in statically. The sources are those of Debian 12 ("apt-get source zint libpng1.6")
and of the zint project; the build script is scripts/build-zint.sh of Kelvora.
SRC
cp "$work/zint/frontend/zint.exe" "$out.tmp" && mv "$out.tmp" "$out"
rm -rf "$work"
echo "build-zint: $out"
