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

# The viewer on the generated sample card, opened through File > Open and played: on the
# DISPLAY when there is one, otherwise headless with screenshots.
demo: build
	@tools/demo/run-demo.sh $(BUILD)

BENCHES := decode_bench scan_bench
# Windows-only benchmarks (they drive windows, sound and the player): run under Wine only.
WINE_BENCHES := playback_bench

bench: setup
	@cmake --preset native-release >/dev/null
	@cmake --build --preset native-release --target $(BENCHES)
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target $(BENCHES) $(WINE_BENCHES)
	@for b in $(BENCHES); do $(BUILD)/native-release/bench/$$b || exit 1; done
	@$(WINE_SESSION) start
	@status=0; for b in $(BENCHES) $(WINE_BENCHES); do \
	    $(WINE_SESSION) run $(BUILD)/windows/bench/$$b.exe || status=1; done; \
	    $(WINE_SESSION) stop; exit $$status

clean:
	rm -rf $(BUILD)/native $(BUILD)/native-release $(BUILD)/fuzz $(BUILD)/windows
