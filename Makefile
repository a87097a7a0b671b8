# Set-up, build and test in one step each; see README.md.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
WINDOWS_DIR ?= build-windows
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all setup configure build run test test-windows check bench clean windows

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/TransMirtavQuelmar

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@if command -v wine >/dev/null && command -v x86_64-w64-mingw32-g++-posix >/dev/null; then \
	  $(MAKE) --no-print-directory test-windows; \
	else echo "Sin Wine o sin mingw-w64: se omiten las pruebas de Windows"; fi

# The Windows build's tests under Wine (scripts/windows-test.sh).
test-windows: build
	@WINDOWS_DIR=$(abspath $(WINDOWS_DIR)) JOBS=$(JOBS) bash scripts/windows-test.sh $(BUILD_DIR)

check: test

# BENCH_SCALE=1 measures the full-size district (51 MB, 500 000 SOLUC rows).
bench: setup
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DTMQ_BUILD_BENCH=ON -DTMQ_BUILD_TESTS=OFF -DTMQ_BUILD_GUI=OFF >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target tmq_bench
	./$(BENCH_DIR)/bench/tmq_bench

# Windows: cross-built programs and their zip, in $(WINDOWS_DIR)/.
windows: setup
	@WINDOWS_DIR=$(abspath $(WINDOWS_DIR)) JOBS=$(JOBS) bash scripts/windows-build.sh

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) $(WINDOWS_DIR)
