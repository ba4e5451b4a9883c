# Thin wrapper around CMake. `make play` and `make test` work as the first
# command on a fresh Debian/Ubuntu machine.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build play test bench clean

all: build

deps:
	@bash scripts/install-deps.sh

configure:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

play: deps build
	./$(BUILD)/kestrevan

test: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: deps build
	@if [ -x $(BUILD)/bench/kestrevan_bench ]; then ./$(BUILD)/bench/kestrevan_bench; else echo "no benchmarks built"; fi

clean:
	rm -rf $(BUILD)
