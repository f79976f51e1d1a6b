# Convenience front end to CMake.
JOBS ?= $(shell nproc)

.PHONY: all build run test bench release fuzz clean deps

all: build

deps:
	bash scripts/install-deps

build:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNURA_TESTS=OFF >/dev/null
	cmake --build build -j $(JOBS)

run: deps build
	build/bin/nurasera examples/hello.nrs

test:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DNURA_SANITIZE=ON >/dev/null
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS) --timeout 300

# The optimised program, built with the profile of its training runs: once
# instrumented, run on the training work (scripts/pgo-train), then again
# with the profile the runs left. $(1): the build folder; $(2): CMake options.
define pgo_build
	cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=Release $(2) -DNURA_PGO=generate >/dev/null
	cmake --build $(1) -j $(JOBS) --target nurasera
	rm -rf $(1)/pgo-profile
	bash scripts/pgo-train $(1)/bin/nurasera
	cmake -S . -B $(1) -DNURA_PGO=use >/dev/null
	cmake --build $(1) -j $(JOBS)
endef

release:
	$(call pgo_build,build-release,-DNURA_TESTS=OFF)

# The benchmarks measure the program as `make release` builds it.
bench:
	$(call pgo_build,build-bench,-DNURA_TESTS=OFF -DNURA_BENCH=ON)
	@for b in build-bench/bin/bench_*; do echo "== $$b"; $$b || exit 1; done

# Each fuzz target runs FUZZ_TIME seconds on a copy of its seed corpus
# (new inputs it finds stay in build-fuzz/corpus). The build is optimised
# (-O1, as libFuzzer advises, with debug information and assertions kept)
# and sanitized, so the fuzzers run many inputs a second.
FUZZ_TIME ?= 60
FUZZ_FLAGS = -O1 -g
fuzz:
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_C_FLAGS_FUZZ="$(FUZZ_FLAGS)" -DCMAKE_CXX_FLAGS_FUZZ="$(FUZZ_FLAGS)" \
	  -DNURA_FUZZ=ON -DNURA_SANITIZE=ON -DNURA_TESTS=OFF >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target $(notdir $(basename $(wildcard fuzz/*_fuzz.cpp)))
	@for f in fuzz/*_fuzz.cpp; do n=$$(basename $$f .cpp); echo "== $$n"; \
	  mkdir -p build-fuzz/corpus/$$n && cp -n fuzz/corpus/$$n/* build-fuzz/corpus/$$n/ 2>/dev/null; \
	  build-fuzz/bin/$$n -max_total_time=$(FUZZ_TIME) -timeout=20 build-fuzz/corpus/$$n || exit 1; done

clean:
	rm -rf build build-asan build-bench build-release build-fuzz
