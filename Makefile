# Thin wrapper around CMake. `make play` and `make test` work as the first
# command on a fresh Debian/Ubuntu machine.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Extra -D settings on top of the default preset of CMakePresets.json.
CMAKE_FLAGS ?=

.PHONY: all deps configure build play test bench fuzz sanitize soak bad-files package-check \
	repro-check mutate web web-test clean

all: build

deps:
	@bash scripts/install-deps.sh

configure:
	@cmake --preset default -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

play: deps build
	./$(BUILD)/kestrevan

test: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: deps build
	@bash scripts/bench.sh

soak: deps build
	@cmake --build $(BUILD) --target soakgen >/dev/null
	@bash scripts/soak.sh --build $(BUILD) $(SOAK_ARGS)

fuzz: deps
	@bash scripts/fuzz.sh $(FUZZ_ARGS)

sanitize: deps
	@bash scripts/sanitize.sh $(SANITIZE_ARGS)

bad-files: deps build
	@bash scripts/bad-files.sh --build $(BUILD)

# What a packager checks first, on an installed copy of the build.
package-check: deps build
	@bash scripts/package-check.sh --build $(BUILD)

# The game built twice at two paths must come out byte for byte the same.
repro-check: deps
	@bash scripts/repro-check.sh --jobs $(JOBS)

# About an hour: every fault of tests/mutants.txt built and run against the
# suite; writes tests/mutation.md. Not part of CI.
mutate: deps
	@python3 scripts/mutate.py $(MUTATE_ARGS)

# The game as a web page in build-web/: Debian's
# emscripten, its libraries built from Debian sources once, and the files
# the native build generates (the generator needs Cairo and stays native).
WEB_BUILD ?= build-web
web:
	@bash scripts/install-deps.sh web
	@cmake --preset default -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target kestrevan assets score_package
	@bash scripts/web-deps.sh $(abspath $(WEB_BUILD))
	@NODE_PATH=/usr/share/nodejs cmake --preset web -B $(WEB_BUILD) \
		-DKESTREVAN_NATIVE_BUILD=$(abspath $(BUILD)) >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) -j $(JOBS)

# The page in headless Chromium against the native game: traces, frames, a
# screenshot, sound, kept scores.
web-test: web
	@bash scripts/web-test.sh $(WEB_BUILD)

clean:
	rm -rf $(BUILD)
