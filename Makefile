# Entry points for people and CI. Every target installs what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
JOBS       ?= $(shell nproc)
# Warnings are errors in the builds of this Makefile (CI's); WERROR=OFF relaxes that.
WERROR     ?= ON
# Debug information in the builds; CI turns it off (DEBUG_INFO=OFF), which takes
# about a third off compiling: sanitizer and valgrind reports then name functions
# without their lines.
DEBUG_INFO ?= ON
# Unity builds (UNITY=ON) compile each target's files in batches, one compiler run
# per batch: CI builds from scratch a third faster. People keep the default, one
# run per file, which rebuilds little after an edit and catches a missing include.
UNITY      ?= OFF
CMAKE_FLAGS = -DVYN_DEBUG_INFO=$(DEBUG_INFO) -DCMAKE_UNITY_BUILD=$(UNITY) -DVYN_WERROR=$(WERROR)

.PHONY: all bootstrap build demo test format format-check test-asan test-tsan fuzz valgrind clean

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVYN_BUILD_BENCH=ON $(CMAKE_FLAGS)

build: bootstrap $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The report of a sample log, its statistics, its CSV export, its timeline and its page of charts; builds only what
# they need: the plug-in, the tools and the sample logs.
DEMO_TARGETS = VynXtuProfilingReader vyn-profile-viewer vyn-profile-log vyn_examples

demo: bootstrap $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target $(DEMO_TARGETS)
	$(BUILD)/tools/vyn-profile-viewer $(BUILD)/examples/two-graphs.log --csv $(BUILD)/demo.csv
	@echo
	$(BUILD)/tools/vyn-profile-log stats $(BUILD)/examples/two-graphs.log
	@$(BUILD)/tools/vyn-profile-log trace $(BUILD)/examples/two-graphs.log -o $(BUILD)/demo-trace.json
	@$(BUILD)/tools/vyn-profile-log report $(BUILD)/examples/two-graphs-slower.log -o $(BUILD)/demo-report.html
	@echo
	@echo 'CSV export:  $(BUILD)/demo.csv'
	@echo 'Timeline:    $(BUILD)/demo-trace.json (open it in the Perfetto UI, see README "Tools")'
	@echo 'Charts:      $(BUILD)/demo-report.html (open it in a browser; it needs no network)'

test: build format-check
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The C++ sources as .clang-format lays them out: format rewrites them, format-check
# fails on the first file that differs.
FORMATTED = git ls-files -z -- '*.cpp' '*.h' '*.h.in'

format: bootstrap
	$(FORMATTED) | xargs -0 clang-format -i

format-check: bootstrap
	$(FORMATTED) | xargs -0 clang-format --dry-run --Werror

$(ASAN_BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVYN_SANITIZE=ON $(CMAKE_FLAGS) \
	      -DVYN_BUILD_TOOLS=ON

# Tests of behaviour at scale (a 65 MiB log, comparisons over hundreds of seeds,
# pages in a browser) run in the plain build only: under the sanitizers they take
# minutes and reach no code the other tests do not.
ASAN_SKIPPED = LoadMeterTest.ALargeLog|DiffFalseAlarms|tools_browser

test-asan: bootstrap $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	      ctest --output-on-failure -j $(JOBS) -E '$(ASAN_SKIPPED)'

# The thread sanitizer over the tests of loading, the only code of the tree that
# runs threads over shared state besides the analyses' parallel loops: frames
# read ahead on a second thread. Only their targets are built (CI's time).
TSAN_TARGETS = read_ahead_load_test loading_test log_file_load_test growing_log_capture_test
TSAN_TESTS   = ^(ReadAheadLoadTest|LogLoaderTest|LogFileLoad|SerialAndReadAhead/GrowingLogCaptureReadAhead)\.

$(TSAN_BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVYN_TSAN=ON $(CMAKE_FLAGS) \
	      -DVYN_BUILD_TOOLS=OFF

test-tsan: bootstrap $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TARGETS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	      ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

# The libFuzzer target (clang) run for FUZZ_SECONDS over the seed corpus; skipped
# with a message when clang or its fuzzer runtime cannot be had.
fuzz: bootstrap
	@scripts/bootstrap clang-14 libclang-rt-14-dev || echo "fuzz: could not install clang"
	FUZZ_BUILD=$(FUZZ_BUILD) BUILD=$(BUILD) JOBS=$(JOBS) DEBUG_INFO=$(DEBUG_INFO) UNITY=$(UNITY) \
	      fuzz/run-fuzzer $(FUZZ_SECONDS)

# valgrind memcheck of loading and both reports; skipped with a message when
# valgrind cannot be had.
valgrind: build
	@scripts/bootstrap valgrind || echo "valgrind: could not install valgrind"
	BUILD=$(BUILD) tests/hostile/memcheck

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
