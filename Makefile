# VEXA-LIN CT — the two everyday commands are `make demo` and `make test`.

SHELL        := /bin/bash
BUILD        ?= build
TSAN_BUILD   ?= build-tsan
RELEASE      ?= build-release
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := frame_assembler profile_document profile_converter display_entry console_rules
PACKAGE_BUILD ?= build-package
PREFIX       ?= /usr/local
JOBS         ?= $(shell nproc)
CMAKE_FLAGS  ?=
DEMO_PORT    ?= 7

DEB_PACKAGES := build-essential cmake ccache qt6-base-dev libqt6opengl6-dev libgl-dev \
                libpugixml-dev libbenchmark-dev xvfb xauth libxml2-utils clang-format \
                clang libclang-rt-14-dev desktop-file-utils dpkg-dev tshark

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

export ASAN_OPTIONS  ?= detect_leaks=0:abort_on_error=0
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS  ?= halt_on_error=1:second_deadlock_stack=1:suppressions=$(abspath tests/tsan.supp)
export CCACHE_BASEDIR := $(abspath ..)
# Debug builds of several checkouts share cached objects.
export CCACHE_NOHASHDIR := 1

.PHONY: all deps build test test-asan test-tsan fuzz demo format bench clean release install package guide-images

all: build

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq -o DPkg::Lock::Timeout=600 && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DVXL_SANITIZE=address $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The whole suite under AddressSanitizer + UndefinedBehaviorSanitizer, then the tests labelled
# "tsan" (tests/CMakeLists.txt) under ThreadSanitizer.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-tsan

test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DVXL_SANITIZE=thread $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target tsan_tests
	cd $(TSAN_BUILD) && ctest --output-on-failure -L tsan --no-tests=error

# Each fuzz target (fuzz/) built with clang's libFuzzer, run for FUZZ_SECONDS from its seeds in
# fuzz/corpus; what it learns stays in $(FUZZ_BUILD)/corpus, what fails in $(FUZZ_BUILD)/crashes.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DVXL_SANITIZE=fuzzer -DBUILD_TESTING=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@mkdir -p $(FUZZ_BUILD)/crashes
	@for t in $(FUZZ_TARGETS); do \
	    mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	    echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	    $(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        -artifact_prefix=$(FUZZ_BUILD)/crashes/$$t- $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t \
	        || exit 1; \
	done

# Starts the emulator on a virtual COM port and the tool connected to it.
demo: build
	@bash scripts/demo.sh $(BUILD) $(DEMO_PORT)

bench: deps
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DVXL_BENCH=ON -DBUILD_TESTING=OFF $(CMAKE_FLAGS)
	cmake --build $(RELEASE) -j $(JOBS)
	bash scripts/bench.sh $(RELEASE)

# An optimised build without tests: what `make install` and `make package` ship.
release: deps
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF $(CMAKE_FLAGS)
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)

# Installs the programs, the user guide, the menu entry, the icon and the .vxlin MIME type under
# PREFIX (default /usr/local; DESTDIR stages them elsewhere), then refreshes the desktop's caches
# where they are writable.
install: release
	DESTDIR="$(DESTDIR)" cmake --install $(PACKAGE_BUILD) --prefix $(PREFIX) --strip
	-@if [ -z "$(DESTDIR)" ] && [ -w "$(PREFIX)/share" ]; then \
	    command -v update-mime-database >/dev/null && update-mime-database "$(PREFIX)/share/mime"; \
	    command -v update-desktop-database >/dev/null && update-desktop-database "$(PREFIX)/share/applications"; \
	    command -v gtk-update-icon-cache >/dev/null && gtk-update-icon-cache -q -t "$(PREFIX)/share/icons/hicolor"; \
	fi; true

# The Debian package vexalin-ct_<version>_<arch>.deb in $(PACKAGE_BUILD)/.
package: release
	cd $(PACKAGE_BUILD) && cpack -G DEB
	@ls -1 $(PACKAGE_BUILD)/*.deb

# Copies the chosen screenshots of the suite (run the tests first) into the user guide's
# pictures; the copies are committed with the guide.
GUIDE_IMAGES := main_connected:module_data_view messages_view_rows:messages_view \
                profiles_view_editing:profiles_view main_advanced:advanced_view \
                connect_dialog_ports:connect_dialog preferences_dialog:preferences_dialog \
                scheduler_entries:scheduler_entries frames_config:frames_config \
                slave_id_dialog:slave_id_dialog can_filter_dialog:can_filter_dialog \
                profile_converter_dialog:profile_converter_dialog
guide-images:
	@mkdir -p docs/images
	@for pair in $(GUIDE_IMAGES); do \
	    shot="$(BUILD)/screenshots/$${pair%%:*}.png"; image="docs/images/$${pair##*:}.png"; \
	    if [ ! -f "$$shot" ]; then echo "missing $$shot: run the tests first (make test)"; exit 1; fi; \
	    cp "$$shot" "$$image" && echo "$$image"; \
	done

format:
	find src sim tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs -r clang-format -i

clean:
	rm -rf $(BUILD) $(TSAN_BUILD) $(RELEASE) $(FUZZ_BUILD) $(PACKAGE_BUILD)
