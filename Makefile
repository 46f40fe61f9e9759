# Thin entry points over the set-up scripts and the CMake presets. Everything runs as root on a
# Debian 12 machine; `make test` and `make demo` install what they need first.
SHELL := /bin/bash
BUILD := $(CURDIR)/build
WINE_SESSION := tools/wine/wine-session.sh
# Seconds per fuzz target: the short runs of `make test`, and the campaign of `make fuzz`.
FUZZ_TEST_SECONDS ?= 20
FUZZ_SECONDS ?= 600

.PHONY: all setup build build-native build-windows test test-native test-windows test-fuzz \
        fuzz demo bench clean

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
	@cmake --preset fuzz -DTAVRIN_FUZZ_SECONDS=$(FUZZ_TEST_SECONDS) >/dev/null
	@cmake --build --preset fuzz
	@ctest --preset fuzz -R '^fuzz'

test: test-native test-windows test-fuzz

# The fuzzing campaign: every target (or those FUZZ_TARGETS names) for FUZZ_SECONDS on its corpus
# in $(BUILD)/fuzz-corpus, which grows from run to run; findings land in $(BUILD)/fuzz-findings.
fuzz: setup
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz --target fuzz_campaign_programs
	@tools/fuzz/campaign.sh $(BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The viewer on the generated sample card, opened through File > Open and played: on the
# DISPLAY when there is one, otherwise headless with screenshots.
demo: build
	@tools/demo/run-demo.sh $(BUILD)

BENCHES := decode_bench scan_bench export_bench
# Windows-only benchmarks (they drive windows, sound and the player): run under Wine only. The
# heard benchmark records the sound server's monitor with the host's parec while it plays.
WINE_BENCHES := playback_bench heard_bench

# Every figure goes to the screen and to $(BUILD)/bench/bench.txt; the report beside it sets each
# against its target and plots the playback and heard offsets from the benchmarks' traces.
BENCH_OUT := $(BUILD)/bench

bench: setup
	@cmake --preset native-release >/dev/null
	@cmake --build --preset native-release --target $(BENCHES)
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target $(BENCHES) $(WINE_BENCHES)
	@rm -rf $(BENCH_OUT) && mkdir -p $(BENCH_OUT)/trace
	@set -o pipefail; for b in $(BENCHES); do $(BUILD)/native-release/bench/$$b || exit 1; done \
	    | tee $(BENCH_OUT)/bench.txt
	@$(WINE_SESSION) start
	@set -o pipefail; ( status=0; for b in $(BENCHES) $(WINE_BENCHES); do \
	    TAVRIN_PLAYBACK_TRACE='Z:$(subst /,\,$(BENCH_OUT))\trace' \
	    $(WINE_SESSION) run $(BUILD)/windows/bench/$$b.exe || status=1; done; exit $$status ) \
	    | tee -a $(BENCH_OUT)/bench.txt; status=$$?; $(WINE_SESSION) stop; exit $$status
	@python3 -B tools/bench/report.py $(BENCH_OUT)/bench.txt $(BENCH_OUT)/trace $(BENCH_OUT)

clean:
	rm -rf $(BUILD)/native $(BUILD)/native-release $(BUILD)/fuzz $(BUILD)/windows
