# The newcomer's entry: `make run` and `make test` do all the set-up.
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: deps configure build run demo test test-tsan fuzz windows-core ci format install clean

deps:
	@sh scripts/deps.sh

build/build.ninja: CMakeLists.txt CMakePresets.json
	cmake --preset default

configure: deps
	cmake --preset default

build: deps build/build.ninja
	cmake --build --preset default -j $(JOBS)

run: build
	@if [ ! -x build/bin/crvlbuilder ]; then echo "crvlbuilder is not built yet" >&2; exit 1; fi
	cd build/bin && ./crvlbuilder

demo: build
	sh scripts/demo.sh build

test: build
	cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	cd build-tsan && ctest --output-on-failure -j $(JOBS) --timeout 300

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	cd build-fuzz && ctest --output-on-failure -L fuzz

windows-core: deps
	cmake --preset windows-core
	cmake --build --preset windows-core -j $(JOBS)

install: build
	cmake --install build --prefix $(PREFIX)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-fuzz build-win
