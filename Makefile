# The two commands a newcomer needs: `make run` and `make test`.
# Both install missing Debian packages first, then configure and build.

JOBS        ?= 2
TEST_DIR    := build/test
RELEASE_DIR := build/release
FUZZ_DIR    := build/fuzz
PACKAGE_DIR := build/package
FUZZ_SECONDS ?= 60
CMAKE_GEN   := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all run test bench fuzz install deps release clean screenshot package web web-build

all: release

deps:
	@scripts/install-deps.sh test

# Optimised build used by `make run`, `make bench` and `make install`.
release: deps
	@cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQUOREL_GUI=ON >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

run: release
	@scripts/install-deps.sh run
	@scripts/run.sh $(RELEASE_DIR)

# Every test, with the core under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the web edition (tool for node and page) against the native tool. The
# benchmarks are built too (not run), so that `make bench` keeps building.
test: deps web-build
	@cmake -S . -B $(TEST_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQUOREL_SANITIZE=ON -DQUOREL_GUI=ON \
	    -DQUOREL_WEB_TESTS=ON -DQUOREL_BENCH=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)
	@cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

# The web edition's figures come beside the native ones (scripts/web-bench.mjs).
bench: web-build
	@scripts/install-deps.sh test bench
	@cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQUOREL_BENCH=ON -DQUOREL_GUI=ON >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)
	@scripts/bench.sh $(RELEASE_DIR)
	@NODE_PATH=/usr/share/nodejs node scripts/web-bench.mjs $(RELEASE_DIR)/src/cli/quorel-snippet

# libFuzzer targets (clang); each runs FUZZ_SECONDS seconds.
fuzz:
	@scripts/install-deps.sh test fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DQUOREL_LIBFUZZER=ON -DQUOREL_GUI=OFF >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)
	@scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

install: release
	@cmake --install $(RELEASE_DIR)

# A Debian package for /usr in build/package (the prefix is compiled in).
package:
	@scripts/install-deps.sh test package
	@cmake -S . -B $(PACKAGE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQUOREL_GUI=ON \
	    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
	@cmake --build $(PACKAGE_DIR) -j $(JOBS) --target quorel quorel-snippet
	@cd $(PACKAGE_DIR) && cpack
	@ls $(PACKAGE_DIR)/*.deb

# The main window with two pictures, grabbed under Xvfb at 1x and 2x into docs/, and
# the mark at 2× as Chromium renders it into build/sharp-2x.png.
screenshot: release
	@scripts/install-deps.sh shots
	@scripts/screenshot.sh $(RELEASE_DIR)
	@scripts/sharp-screenshot.sh $(RELEASE_DIR)

# The web edition in build/web/: the core in WebAssembly, the command-line tool
# for node (node build/web/quorel-snippet.mjs …) and the page. The libraries are
# built from Debian's sources once, under build/web-deps/.
web-build:
	@scripts/install-deps.sh web
	@scripts/node18.sh
	@JOBS=$(JOBS) scripts/web-build.sh

# The page on http://127.0.0.1:8080/ until Ctrl+C.
web: web-build
	@echo "Quorel on http://127.0.0.1:8080/ (Ctrl+C ends)"
	@cd build/web && python3 -m http.server 8080 --bind 127.0.0.1

clean:
	rm -rf build
