# Thin entry points; CMake presets do the work. See README.md.
.PHONY: all linux windows sanitize package test bench run deps clean

all: linux

deps:
	@bash tools/install-deps.sh

linux: deps
	@test -f build/linux/build.ninja || cmake --preset linux
	cmake --build --preset linux

windows: deps
	@test -f build/windows/build.ninja || cmake --preset windows
	cmake --build --preset windows

sanitize: deps
	@test -f build/sanitize/build.ninja || cmake --preset sanitize
	cmake --build --preset sanitize

# The Debian package of the Linux build: build/linux/keyweave_<version>_<arch>.deb.
package: linux
	cmake --build --preset linux --target package

test: linux windows sanitize package
	ctest --preset linux
	ctest --preset windows
	ctest --preset sanitize

# Figures of the Linux build beside xdotool on a private Xvfb and beside wtype on a headless
# sway, then indicative figures of the Windows build under Wine; printed, never judged. The
# Windows program measured is the one that the package ships, without its debugging
# information, which Wine would otherwise map into memory in part or whole depending on how its
# sections fall on pages.
bench: linux windows
	./build/linux/bench/keyweave_bench build/linux/keyweave
	./build/linux/bench/wayland_bench build/linux/keyweave
	python3 tools/bench/wine_bench.py --root . --work build/windows/bench-sessions \
	    --keyweave build/windows/src/platform/win32/package/keyweave.exe --probe build/windows/tests/wine_probe.exe \
	    --user build/windows/tests/wine_user.exe --target build/windows/tests/wine_target.exe

run: linux
	@if [ -z "$$DISPLAY" ]; then \
	    echo "Keyweave needs an X11 session: DISPLAY is not set." >&2; \
	    echo "Start it from a desktop session, or give it a display: DISPLAY=:0 make run" >&2; \
	    exit 1; \
	fi
	./build/linux/keyweave

clean:
	rm -rf build
