# Front door over CMake: make run, make test, make bench, make fuzz.
BUILD := build
SAN_BUILD := build-san
JOBS := $(shell nproc 2>/dev/null || echo 2)
APP := $(abspath $(BUILD)/app/trevandel)

.PHONY: all deps build run test bench clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTREVANDEL_TESTS=OFF >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$${DISPLAY:-}" ]; then \
	  echo "make run needs a display (DISPLAY is not set); without one, try: xvfb-run make run"; \
	  exit 1; \
	fi
	$(APP)

# The whole suite, unit and end-to-end, on a build with AddressSanitizer and UBSan.
test: deps
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTREVANDEL_SANITIZE=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
