# The two set-up commands of the README: `make run` and `make test`. Both install what is
# missing first, so they work on a fresh Debian 12 machine.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: run test test-asan bench deps build screenshot format help-pictures install package \
        package-check

deps:
	./scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/ZelmEditor $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The same tests once more with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELM_SANITIZE=ON -DZELM_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD)/bench/zelm_bench --benchmark_min_time=0.5

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

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
