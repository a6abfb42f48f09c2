# Front door. Everything real lives in CMake and scripts/.
#   make            install what is missing, build $(BUILD_DIR)/patch.exe
#   make test       build and run every test under Wine (GUI tests under Xvfb)
#   make demo       build and run the installer under Wine in a demo prefix
#   make bench      benchmark report (not part of make test)
#   make PAYLOAD_DIR=dir   embed dir/system.xp3 and dir/system.xp3.sig
BUILD_DIR ?= build
PAYLOAD_DIR ?=
export BUILD_DIR
MAKEFLAGS += --no-print-directory

.PHONY: all deps build test demo bench clean
all: build

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32-toolchain.cmake \
	    -DCMAKE_BUILD_TYPE=MinSizeRel "-DPAYLOAD_DIR=$(PAYLOAD_DIR)" >/dev/null
	@cmake --build $(BUILD_DIR) -j2

test: build
	@./scripts/test.sh

demo: build
	@./scripts/demo.sh

bench: build
	@./scripts/bench.sh

clean:
	@if [ -n "$$(ls $(BUILD_DIR)/wineprefix 2>/dev/null)" ]; then \
	    BUILD_DIR=$(BUILD_DIR) bash -c '. scripts/wine-env.sh; wineserver -k' 2>/dev/null || true; fi
	rm -rf $(BUILD_DIR)
