# Convenience front end to CMake.
JOBS ?= $(shell nproc)

.PHONY: all build run test bench clean deps

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

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DNURA_TESTS=OFF -DNURA_BENCH=ON >/dev/null
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bin/bench_*; do echo "== $$b"; $$b || exit 1; done

clean:
	rm -rf build build-asan build-bench
