# Zentrova: `make run` builds and starts the app, `make test` builds and runs every test.
# Both install the Debian packages they need first (make deps).

BUILD_DIR    := build
SANITIZE_DIR := build-sanitize
FUZZ_DIR     := build-fuzz
# How long each fuzz target runs, in seconds.
FUZZ_SECONDS ?= 60
FUZZERS      := automation_script host_options preferences data_url_image utf8
DEVICE_ROOT  := $(BUILD_DIR)/device-root
# The program `make run` starts: Zentrova or ZentrovaLegacy.
PROGRAM      ?= Zentrova
ZENTROVA     := $(BUILD_DIR)/bin/Zentrova
BUNDLE       := $(DEVICE_ROOT)/Applications/Zentrova.app
JOBS         ?= $(shell nproc)
# Extra arguments for the first configuring of build/ (CI passes -DZENTROVA_WERROR=ON).
ZENTROVA_CMAKE_ARGS ?=

PACKAGES := cmake ninja-build g++ pkg-config libcairo2-dev libpango1.0-dev libfontconfig-dev \
            libsdl2-dev libplist-dev libgif-dev libpng-dev nlohmann-json3-dev googletest libgtest-dev \
            libgmock-dev libbenchmark-dev fonts-urw-base35 fonts-dejavu-core xvfb xdotool weston \
            x11-utils xauth imagemagick python3 clang libclang-rt-14-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test sanitize fuzz run run-headless stage bench goldens format clean \
        cross-deps cross cross-test package-deps package

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	@[ -f $(BUILD_DIR)/build.ninja ] || cmake --preset default $(ZENTROVA_CMAKE_ARGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

sanitize: deps
	@[ -f $(SANITIZE_DIR)/build.ninja ] || cmake --preset sanitize
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	# The leak suppressions cover libraries whose process-wide caches LeakSanitizer cannot follow.
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS on its committed seeds
# (fuzz/corpus/NAME) plus what earlier runs found (build-fuzz/corpus/NAME). A crash leaves its
# input in build-fuzz/findings/ and fails; make it a regression test.
fuzz: deps
	@[ -f $(FUZZ_DIR)/build.ninja ] || cmake --preset fuzz
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZERS))
	@mkdir -p $(FUZZ_DIR)/findings
	@for name in $(FUZZERS); do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$name; \
	  echo "fuzz_$$name: $(FUZZ_SECONDS) seconds"; \
	  ASAN_OPTIONS=detect_leaks=1 $(FUZZ_DIR)/fuzz/fuzz_$$name -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/findings/$$name- \
	    $(FUZZ_DIR)/corpus/$$name fuzz/corpus/$$name 2>$(FUZZ_DIR)/fuzz_$$name.log \
	    || { tail -40 $(FUZZ_DIR)/fuzz_$$name.log; exit 1; }; \
	  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" $(FUZZ_DIR)/fuzz_$$name.log; \
	done

# A device root for the app: the chosen program's bundle (the program, its Info.plist, the
# changelog and the fonts configuration, staged by the same step as the build's bundles and the
# packages) and a preferences folder. The app's fixed absolute paths resolve under it; both
# programs use the same bundle path, so the root holds one of them at a time.
stage: build
	@case "$(PROGRAM)" in Zentrova|ZentrovaLegacy) ;; *) echo "PROGRAM must be Zentrova or ZentrovaLegacy" >&2; exit 2;; esac
	rm -f $(BUNDLE)/Zentrova $(BUNDLE)/ZentrovaLegacy
	cmake -DPROGRAM=$(BUILD_DIR)/bin/$(PROGRAM).app/$(PROGRAM) -DINFO_PLIST=$(BUILD_DIR)/$(PROGRAM)-Info.plist \
	  -DSOURCE_DIR=$(CURDIR) -DBUNDLE=$(BUNDLE) -P cmake/StageBundle.cmake
	mkdir -p $(DEVICE_ROOT)/var/mobile/Library/Preferences

run: stage
	$(BUNDLE)/$(PROGRAM) --root $(DEVICE_ROOT) --dry-run $(ARGS)

run-headless: stage
	$(BUNDLE)/$(PROGRAM) --root $(DEVICE_ROOT) --dry-run --headless $(ARGS)

bench: build
	ZENTROVA_FONTS_CONF=$(CURDIR)/resources/fonts/fonts.conf $(BUILD_DIR)/bin/zentrova-bench
	bench/launch.sh $(ZENTROVA)
	bench/window_startup.py $(ZENTROVA) $(BUILD_DIR)/bin/zentrova-bare-window
	bench/changelog_open.py $(ZENTROVA)
	bench/frame_pacing.py $(ZENTROVA)
	bench/prefs_writers.py $(ZENTROVA) $(BUILD_DIR)/bin/ZentrovaLegacy

# Re-records the golden images and tree dumps from the current build. Never run by CI: look at
# every image before committing it.
goldens: build
	ZENTROVA_RECORD_GOLDENS=1 ctest --test-dir $(BUILD_DIR) -R Golden --output-on-failure

# Cross builds with Debian's cross toolchains and the target's multiarch libraries: the main
# program for 64-bit ARM, the legacy program for 32-bit ARM. Programs only, no tests.
CROSS_ARCHS    := arm64 armhf
CROSS_LIBS     := $(filter-out libgtest-dev libgmock-dev libbenchmark-dev,$(filter lib%-dev,$(PACKAGES)))
CROSS_PACKAGES := crossbuild-essential-arm64 crossbuild-essential-armhf qemu-user-static file \
                  $(foreach arch,$(CROSS_ARCHS),$(addsuffix :$(arch),$(CROSS_LIBS)))
ARM64_DIR      := build-arm64
ARMHF_DIR      := build-armhf
LEGACY         := ZentrovaLegacy

cross-deps: deps
	@for arch in $(CROSS_ARCHS); do \
	  dpkg --print-foreign-architectures | grep -qx $$arch || $(SUDO) dpkg --add-architecture $$arch; \
	done
	@$(MAKE) --no-print-directory deps PACKAGES="$(CROSS_PACKAGES)"

cross: cross-deps
	@[ -f $(ARM64_DIR)/build.ninja ] || cmake --preset cross-arm64
	cmake --build $(ARM64_DIR) -j $(JOBS) --target Zentrova
	@[ -f $(ARMHF_DIR)/build.ninja ] || cmake --preset cross-armhf
	cmake --build $(ARMHF_DIR) -j $(JOBS) --target $(LEGACY)

# Each cross-built program under qemu-user beside the native build of the same program.
cross-test: build cross
	python3 tests/cross/compare_with_native.py \
	  arm64 $(BUILD_DIR)/bin/Zentrova.app/Zentrova $(ARM64_DIR)/bin/Zentrova.app/Zentrova \
	  armhf $(BUILD_DIR)/bin/$(LEGACY).app/$(LEGACY) $(ARMHF_DIR)/bin/$(LEGACY).app/$(LEGACY)

# Debian packages: zentrova for amd64 and arm64, zentrova-legacy for armhf, each checked by
# lintian; the amd64 one is also unpacked and run away from the checkout.
PACKAGE_DIR := build-package

package-deps: cross-deps
	@$(MAKE) --no-print-directory deps PACKAGES="dpkg-dev lintian binutils-x86-64-linux-gnu"

package: build cross package-deps
	rm -f $(PACKAGE_DIR)/*.deb
	packaging/build-deb.sh zentrova amd64 $(BUILD_DIR)/bin/Zentrova.app/Zentrova \
	  $(BUILD_DIR)/Zentrova-Info.plist $(PACKAGE_DIR)
	packaging/build-deb.sh zentrova arm64 $(ARM64_DIR)/bin/Zentrova.app/Zentrova \
	  $(ARM64_DIR)/Zentrova-Info.plist $(PACKAGE_DIR)
	packaging/build-deb.sh zentrova-legacy armhf $(ARMHF_DIR)/bin/$(LEGACY).app/$(LEGACY) \
	  $(ARMHF_DIR)/$(LEGACY)-Info.plist $(PACKAGE_DIR)
	lintian --fail-on error --display-info $(PACKAGE_DIR)/*.deb
	tests/package/check_installed.sh $(PACKAGE_DIR)/zentrova_*_amd64.deb $(BUILD_DIR)/bin/Zentrova.app/Zentrova

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) $(ARM64_DIR) $(ARMHF_DIR) $(PACKAGE_DIR)
