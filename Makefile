# Thin entry points over the set-up scripts and the CMake presets. Everything runs as root on a
# Debian 12 machine; `make test` and `make demo` install what they need first.
SHELL := /bin/bash
BUILD := $(CURDIR)/build
WINE_SESSION := tools/wine/wine-session.sh
FUZZ_SECONDS ?= 20

.PHONY: all setup build build-native build-windows test test-native test-windows test-fuzz \
        demo bench clean

all: build

setup:
	@tools/setup/install-packages.sh $(BUILD)
	@tools/setup/build-windows-deps.sh $(BUILD)

build-native: setup
	@cmake --preset native >/dev/null
	@cmake --build --preset native

build-windows: setup
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

build: build-native build-windows

test-native: build-native
	@ctest --preset native

# One Wine session (prefix, X server, sound) serves the whole run and is stopped afterwards.
test-windows: build-windows
	@$(WINE_SESSION) start
	@status=0; ctest --preset windows || status=$$?; $(WINE_SESSION) stop; exit $$status

test-fuzz: setup
	@cmake --preset fuzz -DTAVRIN_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	@cmake --build --preset fuzz
	@ctest --preset fuzz -R '^fuzz'

test: test-native test-windows test-fuzz

demo: build
	@echo "Built: $(BUILD)/windows/app/tavrin.exe (Windows x64, statically linked)."
	@echo "The viewer's window is not part of the program yet; there is nothing to play so far."

bench: setup
	@cmake --preset native-release >/dev/null
	@cmake --build --preset native-release --target decode_bench
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target decode_bench
	@$(BUILD)/native-release/bench/decode_bench
	@$(WINE_SESSION) run $(BUILD)/windows/bench/decode_bench.exe

clean:
	rm -rf $(BUILD)/native $(BUILD)/native-release $(BUILD)/fuzz $(BUILD)/windows
