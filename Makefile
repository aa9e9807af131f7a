# Zentrova: `make run` builds and starts the app, `make test` builds and runs every test.
# Both install the Debian packages they need first (make deps).

BUILD_DIR    := build
SANITIZE_DIR := build-sanitize
DEVICE_ROOT  := $(BUILD_DIR)/device-root
ZENTROVA     := $(BUILD_DIR)/bin/Zentrova
JOBS         ?= $(shell nproc)

PACKAGES := cmake ninja-build g++ pkg-config libcairo2-dev libpango1.0-dev libfontconfig-dev \
            libsdl2-dev libplist-dev libgif-dev libpng-dev nlohmann-json3-dev googletest libgtest-dev \
            libgmock-dev libbenchmark-dev fonts-urw-base35 fonts-dejavu-core xvfb xdotool \
            x11-utils xauth imagemagick python3

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test sanitize run run-headless stage bench goldens format clean

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

# A device root for the app: its bundle folder with the changelog and Info.plist, and an empty
# preferences folder. The app's fixed absolute paths resolve under it.
stage: build
	mkdir -p $(DEVICE_ROOT)/Applications/Zentrova.app $(DEVICE_ROOT)/var/mobile/Library/Preferences
	cp resources/CHANGELOG.txt $(DEVICE_ROOT)/Applications/Zentrova.app/
	cp $(BUILD_DIR)/Info.plist $(DEVICE_ROOT)/Applications/Zentrova.app/

run: stage
	$(ZENTROVA) --root $(DEVICE_ROOT) --dry-run $(ARGS)

run-headless: stage
	$(ZENTROVA) --root $(DEVICE_ROOT) --dry-run --headless $(ARGS)

bench: build
	$(BUILD_DIR)/bin/zentrova-bench
	bench/launch.sh $(ZENTROVA)

# Re-records the golden images and tree dumps from the current build. Never run by CI: look at
# every image before committing it.
goldens: build
	ZENTROVA_RECORD_GOLDENS=1 ctest --test-dir $(BUILD_DIR) -R Golden --output-on-failure

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
