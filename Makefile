# Shortcuts over CMake for a Debian 12 machine. Everything builds in build/ unless noted.
#
#   make run     install what is missing, build, set up an empty catalogue, start Spolebox
#   make test    install what is missing, build (Debug) and run the tests
#   make bench   build the benchmarks (Release, build-bench/) and run them
#   make clean   remove the compiled files but keep the configuration and the catalogue
#   make distclean   remove every build tree, including build/src/DATA

BUILD_DIR ?= build
BENCH_DIR ?= build-bench
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

PROGRAM := $(BUILD_DIR)/src/spolebox
CATALOGUE_TOOL := $(BUILD_DIR)/tools/spolebox-catalogue
# The program looks for its catalogue in the folder DATA beside the program file.
DATA_DIR := $(BUILD_DIR)/src/DATA

.PHONY: all run test check build deps configure configure-debug clean distclean bench catalogue

all: build

deps:
	@bash scripts/install-deps.sh

# A fresh tree is configured for running; an existing one keeps its build type, so that
# running after testing does not rebuild everything.
configure: deps
	@if [ -f $(BUILD_DIR)/CMakeCache.txt ]; then \
		cmake -S . -B $(BUILD_DIR); \
	else \
		cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; \
	fi

configure-debug: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# An empty catalogue beside the program, unless one is already there.
catalogue: build
	@if ls -A $(DATA_DIR) 2>/dev/null | grep -qi '^spolebox\.db$$'; then \
		echo "Using the catalogue in $(DATA_DIR)"; \
	else \
		$(CATALOGUE_TOOL) create $(DATA_DIR); \
	fi

run: catalogue
	$(PROGRAM)

test: configure-debug
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && ctest --output-on-failure

check: test

bench: deps
	@if [ ! -f bench/CMakeLists.txt ]; then echo "No benchmarks yet."; exit 0; fi; \
	set -e; \
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSPOLEBOX_BENCH=ON; \
	cmake --build $(BENCH_DIR) -j $(JOBS); \
	found=0; \
	for b in $(BENCH_DIR)/bench/*; do \
		if [ -f "$$b" ] && [ -x "$$b" ]; then found=1; echo "== $$b"; "$$b"; fi; \
	done; \
	if [ $$found = 0 ]; then echo "No benchmarks built."; fi

clean:
	@for dir in $(BUILD_DIR) $(BENCH_DIR) build-sanitize; do \
		if [ -f $$dir/build.ninja ]; then cmake --build $$dir --target clean; fi; \
	done

distclean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) build-sanitize
