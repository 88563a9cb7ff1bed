# One entry point for both build trees:
#   build/win   setup.exe, the stand-in programs and the Windows tests (MinGW-w64, run under Wine)
#   build/host  hxpack and the plain C++ tests (Linux)
# `make demo` and `make test` install what is missing first.

.PHONY: all deps build build-win build-host test test-host test-win demo cd fuzz fuzz-long bench format clean

all: build

deps:
	@tools/install-deps.sh

build: deps build-host build-win

build/host/CMakeCache.txt:
	cmake --preset host >/dev/null
build/win/CMakeCache.txt:
	cmake --preset windows >/dev/null

build-host: build/host/CMakeCache.txt
	cmake --build --preset host
build-win: build/win/CMakeCache.txt
	cmake --build --preset windows

test: build
	tests/rig/with-display ctest --preset host
	tests/rig/with-display ctest --preset windows

demo: build
	demo/run-demo

# The demo CD as a disc image, made from build/cd as it stands.
cd: build
	demo/make-iso build/cd build/hexbreakerdemo.iso

fuzz: build
	$(MAKE) -C build/host fuzz_pack_table
	tests/fuzz/run 60

fuzz-long: build
	$(MAKE) -C build/host fuzz_pack_table
	tests/fuzz/run 1800

bench: build
	bench/run

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
