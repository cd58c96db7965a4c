# The README's commands. Each sets up the machine first (scripts/setup installs only
# what is missing), then builds with CMake and Ninja.
BUILD ?= build
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60

.PHONY: all setup configure build test run bench test-asan fuzz screenshots format format-check check-layers tidy clean package package-check

all: build

setup:
	@bash scripts/setup

# The one build folder the everyday targets share.
configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j 2

# The lookup window, with the default database of the user's language and an ini that
# allows the editor (after a question) made beside the program when they are not there
# yet. Builds only what the window needs (the program, its windows module, the default
# databases), so a new clone shows its first window without waiting for the tests and
# benchmarks.
run: configure
	@cmake --build $(BUILD) --target vestral code_set
	@bash scripts/prepare-run $(BUILD)
	@$(BUILD)/vestral

# The tests again, built by Clang with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: setup
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DVESTRAL_SANITIZE=ON -DVESTRAL_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-asan
	@ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-asan --output-on-failure -j 2

bench: setup
	@cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	@cmake --build build-release
	@bash bench/run build-release

fuzz: setup
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DVESTRAL_FUZZ=ON >/dev/null
	@cmake --build build-fuzz
	@bash fuzz/run build-fuzz $(FUZZ_SECONDS)

# The Debian package from a Release build: build-release/vestral_<version>_<arch>.deb,
# with the hardening Debian builds its own packages with.
package: setup
	@cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
	  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="-fstack-protector-strong -D_FORTIFY_SOURCE=2" \
	  -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro -Wl,-z,now" $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-release
	@cd build-release && cpack -G DEB

# The package's files, lintian, the desktop entry, the manual page, and the program
# installed into scratch roots.
package-check: package
	@bash scripts/check-package build-release

screenshots: build
	@QT_QPA_PLATFORM=offscreen $(BUILD)/vestral_screenshots docs/screenshots

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

# Fails when a source file is not formatted as `make format` would leave it.
format-check: setup
	@clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')

# Fails on an include that points up the layers (platform <- database <- lookup, log <-
# editor <- cli and the windows) or a Qt header outside the window files.
check-layers:
	@bash scripts/check-layers

# clang-tidy over the core with the checks of .clang-tidy; fails on a finding. Needs
# only the build's compile commands, so it configures without compiling.
tidy: configure
	@bash scripts/tidy $(BUILD)

clean:
	@rm -rf build build-asan build-release build-fuzz
