# Set-up, build, run and test in one step each; see README.md.
BUILD_DIR ?= build
FUZZ_DIR ?= build-fuzz
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test fuzz stress bench clean

all: build

deps:
	@scripts/install-deps

# CMake re-runs by itself when a CMakeLists.txt changes after the first configure.
configure: deps
	@[ -f $(BUILD_DIR)/build.ninja ] || cmake -S . -B $(BUILD_DIR) -G Ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/quenmark

# Each test alone in its process offscreen, then each test program whole in a
# shuffled order, offscreen and on virtual X servers; SEED=<n> repeats an order.
test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	scripts/run-tests-whole $(BUILD_DIR) $(JOBS)
	DISPLAY_KIND=xvfb scripts/run-tests-whole $(BUILD_DIR) $(JOBS)

# The fuzz targets, built by clang in a folder of their own, each run on its
# seeds for FUZZ_SECONDS (30) seconds.
fuzz: deps
	scripts/fuzz $(FUZZ_DIR) $(JOBS)

# The long crash run: 200 trials of 4 workstations killed at random moments.
stress: build
	QT_QPA_PLATFORM=offscreen QM_CRASH_TRIALS=200 QM_CRASH_WORKSTATIONS=4 \
	  ./$(BUILD_DIR)/tests/test_sales --gtest_filter='CrashTest.*'

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR)
