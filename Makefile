# Front door: `make run` and `make test` do all set-up on a fresh Debian machine.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
PROGRAM ?= $(BUILD)/marrowvale

.PHONY: all deps configure build run test test-unit test-asan bench clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/marrowvale ]; then $(BUILD)/marrowvale; else $(BUILD)/tests/prog_demo; fi

test: build
	@tools/with-xvfb.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-unit: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -L unit

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DRT_SANITIZE=ON -DRT_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -L unit

bench: build
	@for b in $(BUILD)/bench/*_bench; do $$b; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
