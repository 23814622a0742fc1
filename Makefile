# Thin wrapper around CMake: `make run` starts the engine (with the process
# arguments in ARGS, as in `make run ARGS="+set dedicated 1"`), `make test`
# builds and passes every test, once optimised and once under the
# sanitizers, then gives each fuzz target a smoke run when clang with
# libFuzzer is at hand. Each target first installs the Debian packages it
# needs and lacks.

BUILD := build
SANITIZE_BUILD := build/sanitize
FUZZ_BUILD := build/fuzz
JOBS ?= $(shell nproc)

# `make fuzz` runs every fuzz target this many seconds.
FUZZ_SECONDS ?= 60
FUZZ_CXX ?= clang++
FUZZ_TARGETS := tokenizer console config rcon pack status

# Installs the missing packages of the groups named after it, quietly does
# nothing when all are there (see the script). INSTALL_DEPS=true skips it.
INSTALL_DEPS ?= scripts/install-deps

.PHONY: all run test engine bench compare packs idle tick status-flood clean fuzz fuzz-build fuzz-smoke memcheck

all: engine

engine:
	@$(INSTALL_DEPS)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target varnholt

# The engine runs from the repository root with ./data as its data
# directory. init.cfg replays default.cfg, which the engine rewrites at
# quit; a first start gets an empty one so that it starts cleanly.
run: engine data/default.cfg
	./$(BUILD)/varnholt $(ARGS)

data/default.cfg:
	: > $@

# Without GoogleTest the configuration fails: no test, no pass.
test:
	@$(INSTALL_DEPS) tests fuzz
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVARNHOLT_TESTS=ON -DVARNHOLT_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNHOLT_SANITIZE=ON -DVARNHOLT_TESTS=ON -DVARNHOLT_WERROR=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)
	@if command -v $(FUZZ_CXX) >/dev/null 2>&1; then \
	    $(MAKE) --no-print-directory fuzz-smoke; \
	else \
	    echo "$(FUZZ_CXX) not found: fuzz smoke runs skipped"; \
	fi

# The fuzz targets build with clang in a directory of their own; CMake
# leaves them out when the compiler cannot link libFuzzer.
fuzz-build:
	@$(INSTALL_DEPS) fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNHOLT_FUZZ=ON -DVARNHOLT_WERROR=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# A few seconds per target over its seed corpus.
fuzz-smoke: fuzz-build
	cd $(FUZZ_BUILD) && ctest --output-on-failure --no-tests=ignore -j $(JOBS)

# FUZZ_SECONDS per target. New inputs go to $(FUZZ_BUILD)/corpus/<target>,
# crashes to $(FUZZ_BUILD)/artifacts; copy an input worth keeping into
# fuzz/corpus/<target>.
fuzz: fuzz-build
	@for target in $(FUZZ_TARGETS); do \
	    mkdir -p $(FUZZ_BUILD)/corpus/$$target $(FUZZ_BUILD)/artifacts || exit 1; \
	    echo "== $${target}_fuzz, $(FUZZ_SECONDS) seconds"; \
	    $(FUZZ_BUILD)/fuzz/$${target}_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	        -print_final_stats=1 -dict=fuzz/$$target.dict -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$target- \
	        $(FUZZ_BUILD)/corpus/$$target fuzz/corpus/$$target || exit 1; \
	done

# The black-box tests with the engine under Valgrind's memcheck: no invalid
# access, no uninitialised value, nothing definitely lost at exit. Every
# engine process logs to a file of its own; any non-empty log fails.
MEMCHECK_LOGS := $(abspath $(BUILD))/memcheck
MEMCHECK := valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
    --show-leak-kinds=definite --track-origins=yes --log-file=$(MEMCHECK_LOGS)/%p.log

memcheck:
	@$(INSTALL_DEPS) tests memcheck
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVARNHOLT_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS) --target varnholt engine_tests
	rm -rf $(MEMCHECK_LOGS) && mkdir -p $(MEMCHECK_LOGS)
	cd $(BUILD) && VARNHOLT_WRAPPER="$(MEMCHECK)" ctest -L blackbox --output-on-failure -j $(JOBS)
	@if [ -n "$$(find $(MEMCHECK_LOGS) -name '*.log' -size +0)" ]; then \
	    find $(MEMCHECK_LOGS) -name '*.log' -size +0 -exec cat {} +; \
	    echo "memcheck: errors above"; exit 1; \
	fi
	@echo "memcheck: clean"

# Micro-benchmarks (Google Benchmark) of the console's hot paths.
bench:
	@$(INSTALL_DEPS) bench
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target varnholt_bench
	./$(BUILD)/bench/varnholt_bench

# Whole-process comparison with tclsh on equivalent scripts.
compare: engine
	@$(INSTALL_DEPS) compare
	python3 bench/compare.py --engine $(BUILD)/varnholt

# What zip packs cost: mounting, exec from an entry, lookups through many.
packs: engine
	@$(INSTALL_DEPS) compare
	cmake --build $(BUILD) -j $(JOBS) --target pack_bench
	python3 bench/packs.py --engine $(BUILD)/varnholt --bench $(BUILD)/bench/pack_bench

# What the running engine costs at rest and how fast it answers.
idle: engine
	@$(INSTALL_DEPS) idle
	python3 bench/idle.py --engine $(BUILD)/varnholt

# How punctually the fixed-rate tick runs: TICK_SECONDS a rate (20, 60, 128
# and 1000 Hz, then 60 Hz under a datagram flood).
TICK_SECONDS ?= 30

tick:
	@$(INSTALL_DEPS) idle
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target tick_bench
	python3 bench/tick.py --engine $(BUILD)/bench/tick_bench --seconds $(TICK_SECONDS)

# The status query: bytes in and out for each path, and a 10-second flood
# from 1,000 loopback addresses.
status-flood: engine
	@$(INSTALL_DEPS) idle
	python3 bench/status_flood.py --engine $(BUILD)/varnholt

clean:
	rm -rf $(BUILD)
