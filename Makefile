# The two set-up commands of the README: `make run` and `make test`. Both install what is
# missing first, so they work on a fresh Debian 12 machine.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_TARGETS := DocumentFuzz SetterFuzz KeysFuzz LatexFuzz MathMLFuzz
# make fuzz: seconds per target. make fuzz-ci: executions per target (target:runs), five to ten
# seconds each on one core; a key input holds hundreds of keys, so it gets fewer.
FUZZ_TIME ?= 60
FUZZ_CI_RUNS ?= DocumentFuzz:10000 SetterFuzz:25000 KeysFuzz:2000 LatexFuzz:9000 MathMLFuzz:40000
# A target with a dictionary of its own (tests/fuzz/<target>.dict) takes it, the others zelm.dict.
FUZZ_DICT = -dict=$$(test -f tests/fuzz/$$t.dict && echo tests/fuzz/$$t.dict || echo tests/fuzz/zelm.dict)
JOBS ?= $(shell nproc)
# One test more than there are cores: the desktop tests (the display, the accessibility bus, the
# installed program) mostly wait for their servers.
TEST_JOBS ?= $(shell echo $$(( $$(nproc) + 1 )))

.PHONY: run test test-asan bench deps build screenshot format lint help-pictures install package \
        package-check fuzz fuzz-build fuzz-ci fuzz-seeds

deps:
	./scripts/install-deps.sh

# Ninja when the set-up installed it; a folder configured before keeps its generator.
GENERATOR = $(if $(shell command -v ninja),-G Ninja)
new_build = $(if $(wildcard $(1)/CMakeCache.txt),,$(GENERATOR))

# Line tables only: backtraces keep their lines, and the build takes a quarter less time.
$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/ZelmEditor $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ZELM_ORACLES_REQUIRED=1 ctest --output-on-failure -j $(TEST_JOBS)

# The same tests once more with AddressSanitizer and UndefinedBehaviorSanitizer. The randomized
# tests run a short volume here (percent of their full count): `make test` runs them in full.
# Built by clang (the second compiler also checks the code), which compiles with the sanitizers
# in half the time that g++ takes, optimised less and with line tables only; the sanitizers find
# the same faults.
ASAN_TEST_VOLUME ?= 5
test-asan: deps
	$(if $(wildcard $(ASAN_BUILD)/CMakeCache.txt),,CC=clang CXX=clang++) \
	cmake -S . -B $(ASAN_BUILD) $(call new_build,$(ASAN_BUILD)) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DZELM_SANITIZE=ON -DZELM_BENCH=OFF -DZELM_TOOLS=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	    UBSAN_OPTIONS=print_stacktrace=1 ZELM_TEST_VOLUME=$(ASAN_TEST_VOLUME) \
	    ctest --output-on-failure -j $(TEST_JOBS)

# libFuzzer targets over the Qt-free core, built with clang, AddressSanitizer and UBSan.
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S tests/fuzz -B $(FUZZ_BUILD) $(call new_build,$(FUZZ_BUILD)) \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Each target for FUZZ_TIME seconds, one process each; new inputs go to $(FUZZ_BUILD)/corpus,
# findings to $(FUZZ_BUILD)/findings. The committed corpus stays as it is.
fuzz: fuzz-build
	set -e; for t in $(FUZZ_TARGETS); do \
	    mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/findings; \
	    ./$(FUZZ_BUILD)/$$t -max_total_time=$(FUZZ_TIME) $(FUZZ_DICT) \
	        -artifact_prefix=$(FUZZ_BUILD)/findings/$$t- -print_final_stats=1 \
	        $(FUZZ_BUILD)/corpus/$$t tests/fuzz/corpus/$$t; \
	done

# CI: a fixed number of executions of each target, from the committed corpus, fixed seed; the
# targets run side by side, each with its log in $(FUZZ_BUILD)/ci/, shown whole when it fails.
fuzz-ci: fuzz-build
	pids=""; for entry in $(FUZZ_CI_RUNS); do \
	    t=$${entry%%:*}; runs=$${entry##*:}; \
	    rm -rf $(FUZZ_BUILD)/ci/$$t; mkdir -p $(FUZZ_BUILD)/ci/$$t; \
	    ./$(FUZZ_BUILD)/$$t -runs=$$runs -seed=1 $(FUZZ_DICT) \
	        -artifact_prefix=$(FUZZ_BUILD)/ci/$$t- -print_final_stats=1 \
	        $(FUZZ_BUILD)/ci/$$t tests/fuzz/corpus/$$t > $(FUZZ_BUILD)/ci/$$t.log 2>&1 & \
	    pids="$$pids $$!:$$t"; \
	done; status=0; for p in $$pids; do \
	    t=$${p#*:}; if wait $${p%%:*}; then echo "== $$t"; tail -n 12 $(FUZZ_BUILD)/ci/$$t.log; \
	    else status=1; echo "== $$t FAILED"; cat $(FUZZ_BUILD)/ci/$$t.log; fi; \
	done; exit $$status

# Writes the seed corpora again from tests/fuzz/MakeSeeds.cpp.
fuzz-seeds: fuzz-build
	./$(FUZZ_BUILD)/MakeSeeds tests/fuzz/corpus

bench: build
	./$(BUILD)/bench/zelm_bench --benchmark_min_time=0.5

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# The formatting and the layering of the folders, before anything is built.
lint: deps
	./scripts/lint.sh

# A picture of the main window with a document of formula lines, under a virtual display.
screenshot: build
	xvfb-run -a -s "-screen 0 1600x1200x24" ./$(BUILD)/zelm_screenshot docs/screenshot.png

# The help window's pictures, composed from Dutch text and formulas typed into real lines; the
# output is committed, so the build itself needs no display.
help-pictures: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/zelm_help_pictures resources/help

# Installs the program, its fonts and its desktop files below PREFIX (bin/, share/); the
# installed program finds everything relative to itself, so the prefix may be moved later.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package (zelmeditor_*.deb in $(BUILD)); package-check shows that it installs.
package: build
	cd $(BUILD) && cpack -G DEB

package-check: package
	./scripts/check-package.sh $(BUILD)
