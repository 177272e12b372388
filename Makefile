# Front door over CMake: make run, make test, make test-arm, make bench, make fuzz, and the
# releases: make deb, make install, make dist-handheld.
MAKEFLAGS += --no-print-directory
BUILD := build
SAN_BUILD := build-san
JOBS := $(shell nproc 2>/dev/null || echo 2)
APP := $(abspath $(BUILD)/app/trevandel)

.PHONY: all deps build run test test-arm deb install dist-handheld bench fuzz screenshots clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTREVANDEL_TESTS=OFF -DTREVANDEL_HARDEN=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The Debian package of the release build: $(BUILD)/trevandel_VERSION_ARCH.deb.
deb: build
	@cd $(BUILD) && if ! cpack -G DEB > cpack.log 2>&1; then cat cpack.log; exit 1; fi
	@sed -n 's/^CPack: - package: \(.*\) generated\.$$/Package: \1/p' $(BUILD)/cpack.log

# The package's layout below PREFIX (programs in PREFIX/libexec/trevandel/, the application
# folder in PREFIX/share/trevandel/, the trevandel command in PREFIX/bin/), staged under DESTDIR.
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

run: build
ifeq ($(strip $(DISPLAY)),)
	$(error make run needs a display (DISPLAY is not set); without one, run: xvfb-run -a -s '-noreset -screen 0 640x480x16' make run)
endif
	$(APP)

# The whole suite, unit and end-to-end, on a build with AddressSanitizer and UBSan; and the
# package of the release build, unpacked and run.
test: deps deb
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTREVANDEL_SANITIZE=ON \
	  -DTREVANDEL_PACKAGE_DIR=$(abspath $(BUILD)) >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The unit tests built for 32-bit ARM (Debian armel) and run under qemu, the ARM launcher
# checked under qemu against the host build's, and the handheld's zip unpacked and run.
ARM_BUILD := build-arm
ARM_SYSROOT := $(abspath $(ARM_BUILD))/sysroot

define configure_arm
	@scripts/install-deps --arm
	@scripts/arm-sysroot $(ARM_SYSROOT)
	@cmake -S . -B $(ARM_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/armel-toolchain.cmake) \
	  -DTREVANDEL_ARM_SYSROOT=$(ARM_SYSROOT) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTREVANDEL_REFERENCE_LAUNCHER=$(APP) >/dev/null
endef

test-arm: build
	$(configure_arm)
	@cmake --build $(ARM_BUILD) -j $(JOBS)
	@cmake --build $(ARM_BUILD) --target dist-handheld
	cd $(ARM_BUILD) && ctest --output-on-failure -j $(JOBS)

# The zip for a handheld's memory card: $(ARM_BUILD)/trevandel-handheld-VERSION.zip.
dist-handheld: deps
	$(configure_arm)
	@cmake --build $(ARM_BUILD) -j $(JOBS) --target dist-handheld
	@ls $(ARM_BUILD)/trevandel-handheld-*.zip | sed 's/^/Zip: /'

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(ARM_BUILD)

# Release benchmarks: every figure is a ratio against a limit measured in the same run.
BENCH_BUILD := build-bench
BENCH_REPETITIONS ?= 5

bench: deps
	@scripts/install-deps --bench
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DTREVANDEL_BENCH=ON -DTREVANDEL_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	$(BENCH_BUILD)/bench/trevandel_bench --benchmark_repetitions=$(BENCH_REPETITIONS) \
	  --benchmark_enable_random_interleaving=true \
	  --benchmark_out=$(BENCH_BUILD)/bench.json --benchmark_out_format=json
	python3 bench/process_figures.py --launcher $(BENCH_BUILD)/app/trevandel \
	  --paced-launcher $(BENCH_BUILD)/bench/trevandel-paced --handheld $(BENCH_BUILD)/app/trevandel-handheld --data data \
	  --corpus tests/fuzz/corpus --out $(BENCH_BUILD)/process.json
	python3 bench/instruction_counts.py --program $(BENCH_BUILD)/bench/trevandel-count --out $(BENCH_BUILD)/counts.json
	@echo
	@python3 bench/report.py $(BENCH_BUILD)/bench.json $(BENCH_BUILD)/process.json --counts $(BENCH_BUILD)/counts.json

# Each fuzz target runs FUZZ_SECONDS on a working copy of its committed seed corpus.
FUZZ_BUILD := build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := statements skin png dat save expand
# The handheld's memory: any single allocation larger than it is a finding.
FUZZ_MALLOC_LIMIT_MB := 64

fuzz:
	@scripts/install-deps --fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTREVANDEL_FUZZ=ON -DTREVANDEL_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/artifacts/$$t; \
	  cp -n tests/fuzz/corpus/$$t/* $(FUZZ_BUILD)/corpus/$$t/ 2>/dev/null || true; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  SDL_VIDEODRIVER=dummy $(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -max_len=65536 \
	    -malloc_limit_mb=$(FUZZ_MALLOC_LIMIT_MB) -timeout=20 -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$t/ $(FUZZ_BUILD)/corpus/$$t \
	    > $(FUZZ_BUILD)/fuzz_$$t.log 2>&1; status=$$?; \
	  grep -E '^#[0-9]+ +DONE|^Done [0-9]+ runs' $(FUZZ_BUILD)/fuzz_$$t.log; \
	  if [ $$status -ne 0 ]; then tail -n 40 $(FUZZ_BUILD)/fuzz_$$t.log; exit 1; fi; \
	done

# Regenerates every picture the README and docs/ show, from a scratch copy of the application
# directory with the shipped Trevandel.cfg (a changed one in build/app/ would show its values).
# The preview's picture is taken on a private Xvfb server (needs xvfb, xdotool, xwd).
SHOT_DIR := docs/screenshots
SHOT_APP := $(BUILD)/shot-app

screenshots: build
	@rm -rf $(SHOT_APP) && cp -r $(BUILD)/app $(SHOT_APP) && cp data/Trevandel.cfg $(SHOT_APP)/ && mkdir -p $(SHOT_DIR)
	@for skin in concept paper; do \
	  for page in 0 1 2 3; do \
	    $(BUILD)/app/trevandel-shot --app $(abspath $(SHOT_APP)) --skin $$skin --page $$page --double \
	      --out $(SHOT_DIR)/$$skin-$$page.png > /dev/null || exit 1; \
	  done; \
	  $(BUILD)/app/trevandel-shot --app $(abspath $(SHOT_APP)) --skin $$skin --sheet \
	    --out $(SHOT_DIR)/$$skin-sheet.png > /dev/null || exit 1; \
	done
	@scripts/preview-screenshot $(SHOT_APP) 1 $(SHOT_DIR)/preview-overlay.png concept
	@rm -rf $(SHOT_APP)
	@echo "Screenshots written to $(SHOT_DIR)/"
