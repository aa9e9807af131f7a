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

PACKAGES := cmake ninja-build g++ pkg-config libcairo2-dev libpango1.0-dev libfontconfig-dev \
            libsdl2-dev libplist-dev libgif-dev libpng-dev nlohmann-json3-dev googletest libgtest-dev \
            libgmock-dev libbenchmark-dev fonts-urw-base35 fonts-dejavu-core xvfb xdotool \
            x11-utils xauth imagemagick python3 clang libclang-rt-14-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test sanitize fuzz run run-headless stage bench goldens format clean

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
	@[ -f $(BUILD_DIR)/build.ninja ] || cmake --preset default

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

sanitize: deps
	@[ -f $(SANITIZE_DIR)/build.ninja ] || cmake --preset sanitize
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
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

# Re-records the golden images and tree dumps from the current build. Never run by CI: look at
# every image before committing it.
goldens: build
	ZENTROVA_RECORD_GOLDENS=1 ctest --test-dir $(BUILD_DIR) -R Golden --output-on-failure

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
