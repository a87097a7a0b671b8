# Set-up, build and test in one step each; see README.md.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all setup configure build run test check bench clean

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

check: test

# BENCH_SCALE=1 measures the full-size district (51 MB, 500 000 SOLUC rows).
bench: setup
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DTMQ_BUILD_BENCH=ON -DTMQ_BUILD_TESTS=OFF -DTMQ_BUILD_GUI=OFF >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target tmq_bench
	./$(BENCH_DIR)/bench/tmq_bench

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR)
