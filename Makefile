# Set-up, build and test in one step each; see README.md.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
WINDOWS_DIR ?= build-windows
SANITIZE_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# ccache, where installed, spares rebuilding what another build folder built.
CCACHE_LAUNCHER = $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all setup configure build run test test-ordinary test-windows test-sanitize check bench package fuzz fuzz-setup clean windows

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/TransMirtavQuelmar

test: test-ordinary
	@$(MAKE) --no-print-directory test-sanitize
	@if command -v wine >/dev/null && command -v x86_64-w64-mingw32-g++-posix >/dev/null; then \
	  $(MAKE) --no-print-directory test-windows; \
	else echo "Sin Wine o sin mingw-w64: se omiten las pruebas de Windows"; fi

# The ordinary tests alone: no sanitizer build, no Windows part.
test-ordinary: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The Windows build's tests under Wine (scripts/windows-test.sh).
test-windows: build
	@WINDOWS_DIR=$(abspath $(WINDOWS_DIR)) JOBS=$(JOBS) bash scripts/windows-test.sh $(BUILD_DIR)

# The tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer;
# any report fails the run. The window's tests stay in the ordinary build (Qt
# and the graphics libraries are not built for the sanitizers), and so do the
# fault tests, which time their kills on the ordinary program.
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
test-sanitize: setup
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CCACHE_LAUNCHER) \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" \
	  -DTMQ_BUILD_GUI=OFF -DTMQ_FAULT_TESTS=OFF >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:abort_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

check: test

# BENCH_SCALE=1 measures the full-size district (51 MB, 500 000 SOLUC rows).
bench: setup
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DTMQ_BUILD_BENCH=ON -DTMQ_BUILD_TESTS=OFF -DTMQ_BUILD_GUI=OFF >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target tmq_bench
	./$(BENCH_DIR)/bench/tmq_bench

# The Debian package of both programs, in $(BUILD_DIR)/. CPack gives the
# archive's members the modes its work files get: a fixed umask keeps the
# package the same for every builder.
package: build
	cd $(BUILD_DIR) && umask 022 && cpack -G DEB

# libFuzzer targets under clang with AddressSanitizer and UBSan, each run for
# FUZZ_SECONDS; shapelib and libxml2 come from the system, not instrumented.
# The newest clang the release ships: 14 on Debian 12, 19 on Debian 13. It
# is looked for once fuzz-setup has installed it, when fuzz's recipe runs.
FUZZ_CXX = $(firstword $(foreach v,19 18 17 16 15 14,$(shell command -v clang++-$(v))) clang++)
fuzz-setup:
	@bash scripts/setup.sh fuzz

fuzz: fuzz-setup
	@cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) $(CCACHE_LAUNCHER) \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
	  -DTMQ_BUILD_FUZZ=ON -DTMQ_BUILD_TESTS=OFF -DTMQ_BUILD_GUI=OFF >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_export fuzz_soluc fuzz_join
	bash scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# Windows: cross-built programs and their zip, in $(WINDOWS_DIR)/.
windows: setup
	@WINDOWS_DIR=$(abspath $(WINDOWS_DIR)) JOBS=$(JOBS) bash scripts/windows-build.sh

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) $(WINDOWS_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
