# The two commands of the README: `make run` and `make test`. Each one installs
# and builds what it needs first (once; later runs skip what is done).
.PHONY: all setup build dist run test bench clean

all: build

setup:
	@scripts/setup.sh

build: setup
	@cmake --preset host >/dev/null && cmake --build --preset host
	@cmake --preset win32 >/dev/null && cmake --build --preset win32

dist: build
	@scripts/dist.sh

run: dist
	@scripts/run.sh

test: build
	@scripts/test.sh

bench: build
	@scripts/bench.sh

clean:
	rm -rf build dist
