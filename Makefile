# Shortcuts over CMake for a Debian 12 machine. Everything builds in build/ unless noted.
#
#   make run     install what is missing, build, set up an empty catalogue, start Spolebox
#   make test    install what is missing, build (Debug) and run the tests
#   make bench   build the benchmarks (Release, build-bench/) and run them
#   make install     build and install for the current user into ~/.local (PREFIX=...)
#   make uninstall   remove exactly what the last install from build/ put there
#   make clean   remove the compiled files but keep the configuration and the catalogue
#   make distclean   remove every build tree; refused while build/src/DATA holds a
#                    recording (FORCE=1 deletes it too)

BUILD_DIR ?= build
BENCH_DIR ?= build-bench
SANITIZE_DIR ?= build-sanitize
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Where `make install` puts the program; the build knows it, so that an installed copy
# keeps its catalogue in the user's data folder.
PREFIX ?= $(HOME)/.local
# This Makefile's folder: scripts are found from here.
SOURCE_DIR := $(dir $(abspath $(lastword $(MAKEFILE_LIST))))

PROGRAM := $(BUILD_DIR)/src/spolebox
CATALOGUE_TOOL := $(BUILD_DIR)/tools/spolebox-catalogue
# The program looks for its catalogue in the folder DATA beside the program file.
DATA_DIR := $(BUILD_DIR)/src/DATA

.PHONY: all run test check build deps configure configure-debug clean distclean bench catalogue \
	install uninstall

all: build

deps:
	@bash scripts/install-deps.sh

# A fresh tree is configured for running; an existing one keeps its build type, so that
# running after testing does not rebuild everything.
configure: deps
	@if [ -f $(BUILD_DIR)/CMakeCache.txt ]; then \
		cmake -S . -B $(BUILD_DIR) -DCMAKE_INSTALL_PREFIX="$(PREFIX)"; \
	else \
		cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
			-DCMAKE_INSTALL_PREFIX="$(PREFIX)"; \
	fi

configure-debug: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_INSTALL_PREFIX="$(PREFIX)"

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

install: build
	cmake --install $(BUILD_DIR)
	@echo "Installed into $(PREFIX). Start Spolebox from the desktop menu or with $(PREFIX)/bin/spolebox."

uninstall:
	cmake -DMANIFEST=$(BUILD_DIR)/install_manifest.txt -P $(SOURCE_DIR)cmake/Uninstall.cmake

# The compiled files only: a catalogue in a build tree is no build output and stays.
clean:
	@for dir in $(BUILD_DIR) $(BENCH_DIR) $(SANITIZE_DIR); do \
		if [ -f $$dir/build.ninja ]; then cmake --build $$dir --target clean; fi; \
	done

distclean:
	@if [ "$(FORCE)" != 1 ]; then \
		bash $(SOURCE_DIR)scripts/keep-catalogues.sh $(BUILD_DIR) $(BENCH_DIR) $(SANITIZE_DIR); \
	fi
	rm -rf $(BUILD_DIR) $(BENCH_DIR) $(SANITIZE_DIR) \
		$(BUILD_DIR)-install-test $(SANITIZE_DIR)-install-test
