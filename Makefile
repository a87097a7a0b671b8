# Set-up, build and test in one step each; see README.md.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all setup configure build run test check bench package clean

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

bench: setup
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DTMQ_BUILD_BENCH=ON -DTMQ_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS)
	./$(BENCH_DIR)/bench/tmq_bench

# The Debian package of both programs, in $(BUILD_DIR)/.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR)
