# The two commands a newcomer needs: `make run` and `make test`. Both install missing Debian packages first.
JOBS ?= 2
FUZZ_SECONDS ?= 600
FUZZ_SMOKE_SECONDS ?= 20

.PHONY: all deps build run test test-default test-asan test-tsan test-fuzz fuzz bench lint clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

run: build
	@bash scripts/run.sh

test: deps test-default test-asan test-tsan test-fuzz

test-default:
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	ctest --preset default

test-asan:
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan

# Only the tests labelled "threads" (serial port and transfer engine) run under ThreadSanitizer.
test-tsan:
	@if grep -rqs 'LABELS.*threads' --include=CMakeLists.txt . ; then \
	  cmake --preset tsan && cmake --build --preset tsan -j $(JOBS) --target orvane_threads_tests && ctest --preset tsan ; \
	else echo "test-tsan: no thread tests yet"; fi

# A short run of each fuzz target under the sanitizers; `make fuzz` runs them for longer.
test-fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	FUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS) bash scripts/fuzz.sh

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz.sh

bench: build
	@bash scripts/bench.sh

# The repository's .clang-tidy over every C++ source of the default build (not part of make test).
lint: build
	clang-tidy -p build/default --quiet $$(git ls-files '*.cpp' | grep -v '^fuzz/')

clean:
	rm -rf build
