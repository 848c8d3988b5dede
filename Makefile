# Thin entry points; CMake presets do the work. See README.md.
.PHONY: all linux windows test run deps clean

all: linux

deps:
	@bash tools/install-deps.sh

linux: deps
	@test -f build/linux/build.ninja || cmake --preset linux
	cmake --build --preset linux

windows: deps
	@test -f build/windows/build.ninja || cmake --preset windows
	cmake --build --preset windows

test: linux windows
	ctest --preset linux
	ctest --preset windows

run: linux
	./build/linux/keyweave-check Scripts/*.ini

clean:
	rm -rf build
