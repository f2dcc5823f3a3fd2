# Corvid: `make run` installs what is missing, builds and plays the demo title;
# `make test` installs, builds with the sanitizers and runs every test.
JOBS ?= $(shell nproc)
BUILD ?= build/release
TEST_BUILD ?= build/test

.PHONY: all deps run test build test-build bench fuzz fuzz-smoke clean

all: build

deps:
	./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVID_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/corvid

test-build: deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVID_SANITIZE=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)

test: test-build
	cd $(TEST_BUILD) && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVID_BENCH=ON -DCORVID_TESTS=OFF
	cmake --build build/bench -j $(JOBS)
	@for b in build/bench/bench_*; do echo "== $$b"; $$b; done

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCORVID_FUZZ=ON -DCORVID_TESTS=OFF -DCORVID_SDL=OFF
	cmake --build build/fuzz -j $(JOBS)
	@echo "run a target: build/fuzz/fuzz_<name>_fuzz CORPUS build/fuzz/fuzz-seeds/<name> (script: -dict=build/fuzz/fuzz-seeds/script.dict)"

# Every fuzz target for 10 s from its seeds; fails when one finds a crash.
fuzz-smoke: fuzz
	./scripts/fuzz-smoke.sh build/fuzz 10

clean:
	rm -rf build
