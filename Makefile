# The newcomer's entry: `make run` and `make test` do all the set-up.
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: deps configure build run demo demo-class test test-asan test-tsan test-package fuzz fuzz-long windows-core windows test-windows ci format install package clean

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

demo-class: build
	sh scripts/demo-class.sh build

test: build
	cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300 -LE package

# Every program and test under AddressSanitizer and UndefinedBehaviorSanitizer;
# the first report of either ends the test. Leaks that Qt's own libraries keep
# are listed, with their reasons, in tests/lsan.supp.
ASAN_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	QT_QPA_PLATFORM=offscreen

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	cd build-asan && $(ASAN_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600

test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	cd build-tsan && ctest --output-on-failure -j $(JOBS) --timeout 300

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	cd build-fuzz && ctest --output-on-failure -L fuzz

# A longer run than CI's: every target SECONDS seconds, with its figures.
SECONDS ?= 600
fuzz-long: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	sh scripts/fuzz-long.sh $(SECONDS)

windows-core: deps
	cmake --preset windows-core
	cmake --build --preset windows-core -j $(JOBS)

# The suite for Windows: build-windows/crvl/, and the installer and zip in
# build/packages/. Qt for Windows comes from scripts/qt-windows.sh's cache,
# which the first run builds (about 15 minutes on 2 cores).
windows: deps
	JOBS=$(JOBS) sh scripts/windows/make-windows.sh

# The Windows builds under Wine on Xvfb (scripts/test-windows.sh): the
# Qt-free suites, the serial port, crvlctl.exe and crvlupd.exe, and the three
# windows, against the Linux trainersim. Each check prints PASS or FAIL.
test-windows: windows build/build.ninja
	cmake --build --preset default -j $(JOBS) --target trainersim
	JOBS=$(JOBS) sh scripts/test-windows.sh

# The Debian packages, into build/packages/.
package: deps
	cmake --preset package
	cmake --build --preset package -j $(JOBS)
	rm -f build/packages/*.deb
	cd build-package && cpack

# Builds the packages and checks them (lintian, desktop files, AppStream,
# the unpacked layout).
test-package: build
	cd build && ctest --output-on-failure -L package

install: build
	cmake --install build --prefix $(PREFIX)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-fuzz build-win build-package
