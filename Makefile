# Front door: make run | make test | make test-sanitize | make bench | make bench-peers | make fuzz
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
	@$(RUN_DIR)/src/app/vexa $(if $(ARGS),$(ARGS),--example)

build-test: deps
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_TESTS=ON -DVEXA_WERROR=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

test: build-test
	@cd $(TEST_DIR) && QT_QPA_PLATFORM=offscreen ctest -j $(JOBS) --output-on-failure

# The whole suite once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (optimised lightly: quicker to build, and the
# reports still name the lines). Any report fails the test that made it.
SANITIZE_DIR := build/sanitize
SANITIZE_ENV := QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: test-sanitize
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Sanitize -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -g1" \
	  -DCMAKE_C_FLAGS_SANITIZE="-O1 -g1" -DVEXA_TESTS=ON -DVEXA_WERROR=ON -DVEXA_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest -j $(JOBS) --output-on-failure

bench: deps
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXA_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$(basename $$b)"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; \
	done

clean:
	rm -rf build

# Installs into PREFIX (default /usr/local): bin/vexa, share/vexa, the menu
# entry, the file types and the icon. Built apart from `make run`, without the
# source tree compiled in, so the installed program reads its own resources
# only. DESTDIR stages the files for a package.
PREFIX ?= /usr/local
INSTALL_DIR := build/install

.PHONY: install uninstall
install: deps
	@cmake -S . -B $(INSTALL_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXA_SOURCE_RESOURCES_DIR= \
	  -DCMAKE_INSTALL_PREFIX="$(PREFIX)" >/dev/null
	@cmake --build $(INSTALL_DIR) --target vexa -j $(JOBS)
	@cmake --install $(INSTALL_DIR) --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ]; then \
	  if command -v update-mime-database >/dev/null 2>&1; then update-mime-database "$(PREFIX)/share/mime" || true; fi; \
	  if command -v update-desktop-database >/dev/null 2>&1; then update-desktop-database -q "$(PREFIX)/share/applications" || true; fi; \
	  if command -v gtk-update-icon-cache >/dev/null 2>&1; then gtk-update-icon-cache -q -t "$(PREFIX)/share/icons/hicolor" || true; fi; \
	fi

# Removes what the last `make install` put in place (give the same PREFIX and
# DESTDIR): the files it listed, then the program's own folders left empty.
uninstall:
	@if [ ! -f $(INSTALL_DIR)/install_manifest.txt ]; then echo "uninstall: nothing installed from this tree"; exit 1; fi
	@while IFS= read -r f || [ -n "$$f" ]; do rm -f "$(DESTDIR)$$f"; done < $(INSTALL_DIR)/install_manifest.txt
	@sed -n -e 's|\(/share/vexa\)/.*|\1|p' -e 's|\(/lib/vexa\)/.*|\1|p' $(INSTALL_DIR)/install_manifest.txt | sort -u | \
	  while IFS= read -r d; do if [ -d "$(DESTDIR)$$d" ]; then find "$(DESTDIR)$$d" -depth -type d -empty -delete; fi; done
	@if [ -z "$(DESTDIR)" ]; then \
	  if command -v update-mime-database >/dev/null 2>&1 && [ -d "$(PREFIX)/share/mime" ]; then update-mime-database "$(PREFIX)/share/mime" || true; fi; \
	  if command -v update-desktop-database >/dev/null 2>&1 && [ -d "$(PREFIX)/share/applications" ]; then update-desktop-database -q "$(PREFIX)/share/applications" || true; fi; \
	  if command -v gtk-update-icon-cache >/dev/null 2>&1 && [ -d "$(PREFIX)/share/icons/hicolor" ]; then gtk-update-icon-cache -q -t "$(PREFIX)/share/icons/hicolor" || true; fi; \
	fi
	@echo "uninstall: removed the files listed in $(INSTALL_DIR)/install_manifest.txt"

# libFuzzer targets in fuzz/: a clang build with sanitizers in build/fuzz, each
# target run for FUZZ_SECONDS with its corpus kept under build/fuzz/corpus and
# crashers written to build/fuzz/artifacts. Not part of `make test`.
FUZZ_DIR := build/fuzz
FUZZ_SECONDS ?= 60

.PHONY: fuzz
fuzz: deps
	@if ! command -v clang++ >/dev/null 2>&1 || \
	    ! dpkg-query -W -f='$${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed"; then \
	  SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  echo "fuzz: installing clang and libclang-rt-14-dev"; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev >/dev/null || exit 1; \
	fi
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVEXA_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) --target fuzzers -j $(JOBS)
	@for f in $(FUZZ_DIR)/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; n=$$(basename "$$f"); \
	  dict=fuzz/archive.dict; seeds=fuzz/seeds; \
	  if [ -f fuzz/$${n#fuzz_}.dict ]; then dict=fuzz/$${n#fuzz_}.dict; seeds=fuzz/$${n#fuzz_}-seeds; fi; \
	  mkdir -p $(FUZZ_DIR)/corpus/$$n $(FUZZ_DIR)/artifacts/$$n; \
	  echo "== $$n for $(FUZZ_SECONDS) s"; \
	  QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp \
	    "$$f" -max_total_time=$(FUZZ_SECONDS) -timeout=20 -rss_limit_mb=4096 \
	    -max_len=32768 -dict=$$dict -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/artifacts/$$n/ $(FUZZ_DIR)/corpus/$$n $$seeds || exit 1; \
	done

# The benchmarks side by side with numpy, numexpr, scipy, pandas and
# matplotlib on the same data and the same picture, in pairs of runs (A B A
# B): one line per task with the medians, their spread and the ratio, on one
# core (both sides under taskset) and, for what runs threaded, on all cores.
# The peers are Debian's python3 packages, installed here when missing; the
# script runs on the system python, whatever else is first on PATH.
# PAIRS=n sets the pairs of runs per row.
PEER_PACKAGES := python3-numpy python3-numexpr python3-scipy python3-pandas python3-matplotlib util-linux

.PHONY: bench-peers
bench-peers: deps
	@missing=""; for p in $(PEER_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  echo "bench-peers: installing$$missing"; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing >/dev/null || exit 1; \
	fi
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXA_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS)
	@cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(RUN_DIR) --target vexa -j $(JOBS)
	@/usr/bin/python3 scripts/bench-peers.py --bench-dir $(BENCH_DIR) --vexa $(RUN_DIR)/src/app/vexa \
	  $(if $(PAIRS),--pairs $(PAIRS))
