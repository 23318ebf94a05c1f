# Front door: make run | make test | make bench | make fuzz
# Each target first makes sure the Debian packages are there.

JOBS ?= $(shell nproc)
RUN_DIR   := build/release
TEST_DIR  := build/test
BENCH_DIR := build/bench

.PHONY: run test bench deps build-run build-test clean

deps:
	@scripts/setup-deps

build-run: deps
	@cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(RUN_DIR) --target vexa -j $(JOBS)

run: build-run
	@$(RUN_DIR)/src/app/vexa $(ARGS)

build-test: deps
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_TESTS=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

test: build-test
	@cd $(TEST_DIR) && QT_QPA_PLATFORM=offscreen ctest -j $(JOBS) --output-on-failure

bench: deps
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXA_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$(basename $$b)"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; \
	done

clean:
	rm -rf build
