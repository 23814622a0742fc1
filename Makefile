# Thin wrapper around CMake: `make run` starts the engine, `make test` builds
# and passes every test, once optimised and once under the sanitizers.

BUILD := build
SANITIZE_BUILD := build/sanitize
JOBS ?= $(shell nproc)

.PHONY: all run test engine bench compare clean

all: engine

engine:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target varnholt

# The engine runs from the repository root with ./data as its data
# directory. init.cfg replays default.cfg, which the engine rewrites at
# quit; a first start gets an empty one so that it starts cleanly.
run: engine data/default.cfg
	./$(BUILD)/varnholt

data/default.cfg:
	: > $@

test:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNHOLT_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# Micro-benchmarks (Google Benchmark) of the console's hot paths.
bench:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target varnholt_bench
	./$(BUILD)/bench/varnholt_bench

# Whole-process comparison with tclsh on equivalent scripts.
compare: engine
	python3 bench/compare.py --engine $(BUILD)/varnholt

clean:
	rm -rf $(BUILD)
