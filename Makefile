# make run: install what is missing, build, open the viewer on the sample trace (without a display,
#           print the sample trace with xqft-dump).
# make test: install what is missing, build (the project's warnings are errors), run every test, each
#            fuzz target for 30 s (when clang with libFuzzer is installed), the hostile-input tests
#            under ASan/UBSan and the texture library's threaded tests under ThreadSanitizer (with 4
#            or more JOBS side by side, see scripts/test-stages.sh).
# make bench: build and run the benchmarks (they print their figures).
SHELL := /bin/bash
ROOT := $(abspath $(dir $(lastword $(MAKEFILE_LIST))))
BUILD ?= $(ROOT)/build
ASAN_BUILD ?= $(ROOT)/build-asan
TSAN_BUILD ?= $(ROOT)/build-tsan
FUZZ_BUILD ?= $(ROOT)/build-fuzz
FUZZ_SECONDS ?= 30
JOBS ?= $(shell nproc)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)
SAMPLE := $(BUILD)/sample.xqft

# ccache keys on paths relative to the checkout, so another clone reuses the cache.
export CCACHE_BASEDIR := $(ROOT)
export CCACHE_NOHASHDIR := 1
export CCACHE_MAXSIZE ?= 5G

.PHONY: all deps build run test test-release test-asan test-tsan asan-tree tsan-tree fuzz fuzz-tree bench clean \
        sample

all: build

deps:
	@bash $(ROOT)/scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S $(ROOT) -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DXQFT_WERROR=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

sample: build
	python3 $(ROOT)/tools/xqftgen.py sample $(SAMPLE)

run: sample
	@if [ -x $(BUILD)/bin/xqftrace ] && { [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; }; then \
	  $(BUILD)/bin/xqftrace $(SAMPLE); \
	else \
	  [ -x $(BUILD)/bin/xqftrace ] && echo "No display: the sample trace as xqft-dump reads it (set DISPLAY to open the viewer)"; \
	  $(BUILD)/bin/xqft-dump header $(SAMPLE) && $(BUILD)/bin/xqft-dump records $(SAMPLE) | tail -n 5; \
	fi

test: build
	@bash $(ROOT)/scripts/test-stages.sh $(JOBS)

# Every test of the normal tree.
test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 900

asan-tree: deps
	@[ -f $(ASAN_BUILD)/CMakeCache.txt ] || cmake -S $(ROOT) -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DXQFT_SANITIZE=ON -DXQFT_BENCH=OFF -DXQFT_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target hostile_tests

# Mesa's shader cache writes from a thread of its own that is still running at exit, where the
# leak checker's thread stopper crashes on it ("LeakSanitizer has encountered a fatal error", no
# leak named): the sanitizer runs go without the cache.
test-asan: asan-tree
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 MESA_SHADER_CACHE_DISABLE=true \
	  ctest --output-on-failure -j $(JOBS) -L hostile --timeout 900

# The threaded tests (label threads) in a ThreadSanitizer tree of their own: their cases whose names
# hold "Thread" run there; the programs run whole in the normal build.
tsan-tree: deps
	@[ -f $(TSAN_BUILD)/CMakeCache.txt ] || cmake -S $(ROOT) -B $(TSAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXQFT_TSAN=ON -DXQFT_GUI=OFF -DXQFT_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target threaded_tests

test-tsan: tsan-tree
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" GTEST_FILTER='*Thread*' \
	  ctest --output-on-failure -j $(JOBS) -L threads --timeout 900

# The libFuzzer targets (loader, capture parser, shader readers), built with clang in their own
# tree; skipped without clang/libFuzzer. fuzz-tree only builds them.
fuzz: deps
	@bash $(ROOT)/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(JOBS)

fuzz-tree: deps
	@bash $(ROOT)/fuzz/run.sh $(FUZZ_BUILD) 0 $(JOBS)

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && { echo "== $$(basename $$b)"; "$$b"; }; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
