# One entry point for the build trees:
#   build/win    setup.exe, the stand-in programs and the Windows tests, i686 (MinGW-w64, run under wine)
#   build/win64  the same for x86_64 (run under wine64 on hosts that run no 32-bit code; tested everywhere)
#   build/host   hxpack and the plain C++ tests (Linux)
# `make` (and `make build`) only builds; `make deps`, `make demo`, `make test` and `make cd` install
# what is missing first. Which Windows tree they run is decided by
# tests/rig/wine-env (HX_WINE_ARCH=x86_64 forces the 64-bit one).

.PHONY: all deps build build-win build-win64 build-host test demo cd fuzz fuzz-long bench mutants format clean

all: build

deps:
	@tools/install-deps.sh

build: build-host build-win build-win64

build/host/CMakeCache.txt:
	cmake --preset host >/dev/null
build/win/CMakeCache.txt:
	cmake --preset windows >/dev/null
build/win64/CMakeCache.txt:
	cmake --preset windows64 >/dev/null

# The Windows trees pack the demo with the host tree's hxpack: the host tree goes first.
build-host: build/host/CMakeCache.txt
	cmake --build --preset host
build-win: build/win/CMakeCache.txt build-host
	cmake --build --preset windows
build-win64: build/win64/CMakeCache.txt build-host
	cmake --build --preset windows64

test: deps
	$(MAKE) build
	tests/rig/run-tests

demo: deps
	$(MAKE) build
	demo/run-demo

# The demo CD as a disc image, made from build/cd as it stands, and its hash; with a signing key
# named (HX_SIGN_CERT and HX_SIGN_KEY, or HX_SIGN_PKCS12 and HX_SIGN_PASS_FILE), of its signed copy
# build/cd-signed.
cd: deps
	$(MAKE) build
	demo/make-cd build/cd build/hexbreakerdemo.iso

fuzz: deps
	$(MAKE) build
	$(MAKE) -C build/host fuzz_pack_table
	tests/fuzz/run 60

fuzz-long: deps
	$(MAKE) build
	$(MAKE) -C build/host fuzz_pack_table
	tests/fuzz/run 1800

bench: deps
	$(MAKE) build
	bench/run

# Small faults planted one at a time in a scratch copy of the tree (build/mutants), each checked by
# the unit suites (HX_MUTANTS_E2E=1: by the end-to-end suite too when they miss it). Not part of test.
mutants: deps
	tests/rig/with-display tools/mutants/run

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
