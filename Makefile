# Fenk: the two commands a newcomer needs are `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_SEEDS ?= tests/data/vectors/*.plain tests/data/vectors/*.fkx
FUZZ_RUNS ?= 1000000
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
# The build users run and the benchmarks measure: Release (-O3, no assertions, no test suite) in its own folder,
# used by `make run`, `make install`, `make deb` and `make bench` (docs/performance.md). The suite runs in $(BUILD).
RELEASE_BUILD ?= build-release
RELEASE_FLAGS  = -G Ninja -DCMAKE_BUILD_TYPE=Release -DFENK_BUILD_TESTS=OFF
CTEST_ENV   = env -u QT_QPA_PLATFORMTHEME QT_QPA_PLATFORM=offscreen

PREFIX     ?= /usr/local

# Debian 12 packages the build, the tests and the benchmarks need: the compilers and libraries, the manual pages'
# compiler, and the tools that check the installed files and the package.
PACKAGES = cmake ninja-build g++ make qt6-base-dev qt6-svg-dev libgl-dev libgtest-dev libgmock-dev \
           libbenchmark-dev libssl-dev clang-format scdoc \
           desktop-file-utils appstream libxml2-utils shared-mime-info libglib2.0-bin man-db file dpkg-dev lintian \
           xvfb xauth xdotool

.PHONY: all deps configure release build test test-asan bench fuzz fuzzers fuzz-long format run clean glyph-sheet \
        dialog-shots ui-gallery-shot install deb screenshots

all: build

# Installs what is missing when running as root; otherwise prints the exact line to run.
deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		if [ "$$(id -u)" = 0 ]; then \
			echo "Installing: $$missing"; \
			apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
		else \
			echo "Missing packages. Run:"; echo "  sudo apt-get install -y $$missing"; exit 1; \
		fi; \
	fi

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	cmake --build $(BUILD)

release: deps
	@cmake -S . -B $(RELEASE_BUILD) $(RELEASE_FLAGS) >/dev/null
	cmake --build $(RELEASE_BUILD)

test: build
	cd $(BUILD) && $(CTEST_ENV) ctest --output-on-failure

# Installs under PREFIX (default /usr/local); DESTDIR stages the files elsewhere, as packagers do.
install: release
	DESTDIR=$(DESTDIR) cmake --install $(RELEASE_BUILD) --prefix $(PREFIX)

# The Debian package of everything `make install` puts in place, under /usr: $(RELEASE_BUILD)/fenk_VERSION_ARCH.deb.
deb: release
	cd $(RELEASE_BUILD) && cpack --config CPackConfig.cmake

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DFENK_SANITIZE=ON -DFENK_BUILD_BENCH=OFF >/dev/null
	cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && $(CTEST_ENV) ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure

# The peer the scale bench compares fenk-cli with; installed when it can be, else the bench says it runs without.
BENCH_PEER_PACKAGES = keepassxc

bench: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(BENCH_PEER_PACKAGES)" || \
		echo "keepassxc-cli cannot be installed here: the scale bench runs without the peer"
	@cmake -S . -B $(RELEASE_BUILD) $(RELEASE_FLAGS) >/dev/null
	cmake --build $(RELEASE_BUILD) --target benchmarks
	@for b in $(RELEASE_BUILD)/bench/*Bench; do echo "== $$b"; $$b || exit 1; done

# The libFuzzer targets of fuzz/, built by clang with the sanitizers in their own folder.
fuzzers: PACKAGES += clang libclang-rt-14-dev
fuzzers: deps
	@cmake -S . -B $(FUZZ_BUILD) $(CMAKE_FLAGS) -DCMAKE_CXX_COMPILER=clang++ -DFENK_FUZZ=ON -DFENK_BUILD_BENCH=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) --target fuzzers

# Every target for FUZZ_SECONDS each, from a corpus seeded with the vectors and the committed corpus of fuzz/corpus/.
fuzz: fuzzers
	@for target in $(FUZZ_BUILD)/fuzz/*Fuzz; do \
		name=$$(basename $$target); corpus=$(FUZZ_BUILD)/corpus/$$name; \
		mkdir -p $$corpus fuzz/corpus/$$name && cp $(FUZZ_SEEDS) $$corpus/ || exit 1; \
		echo "== $$target"; \
		$$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 $$corpus fuzz/corpus/$$name || exit 1; \
	done

# Every target side by side for FUZZ_RUNS executions each, niced, growing a working corpus in $(FUZZ_BUILD)/corpus/
# from the committed one; each target's output goes to $(FUZZ_BUILD)/logs/NAME.log, and a finding (a crash input
# in $(FUZZ_BUILD)/findings/) fails the run. Commit a finding to fuzz/corpus/NAME/ with its regression test.
fuzz-long: fuzzers
	@mkdir -p $(FUZZ_BUILD)/logs $(FUZZ_BUILD)/findings; \
	for target in $(FUZZ_BUILD)/fuzz/*Fuzz; do \
		name=$$(basename $$target); corpus=$(FUZZ_BUILD)/corpus/$$name; mkdir -p $$corpus fuzz/corpus/$$name; \
		nice -n 10 $$target -runs=$(FUZZ_RUNS) -timeout=10 -print_final_stats=1 \
			-artifact_prefix=$(FUZZ_BUILD)/findings/$$name- $$corpus fuzz/corpus/$$name \
			>$(FUZZ_BUILD)/logs/$$name.log 2>&1 & pids="$$pids $$!"; \
	done; \
	failed=0; for pid in $$pids; do wait $$pid || failed=1; done; \
	for log in $(FUZZ_BUILD)/logs/*.log; do \
		echo "== $$(basename $$log .log): $$(grep -h '^stat::number_of_executed_units' $$log | awk '{print $$2}') runs"; \
	done; \
	exit $$failed

# Every glyph shaded onto the windows' backgrounds at 1x and 4x, for a person to judge.
glyph-sheet: configure
	cmake --build $(BUILD) --target GlyphSheet
	$(CTEST_ENV) $(BUILD)/tools/GlyphSheet $(BUILD)/shots/glyph-sheet.png

# Pictures of the dialogs (text prompt, master password, file locator, row editor, row picker), rendered offscreen,
# in $(BUILD)/shots/
dialog-shots: configure
	cmake --build $(BUILD) --target fenk_dialog_shots
	$(CTEST_ENV) $(BUILD)/tools/shots/fenk_dialog_shots $(BUILD)/shots

# The window of action views, tool bars and tool strips, rendered offscreen for a look at the buttons, once at one
# device pixel per pixel and once as on a high-density screen.
ui-gallery-shot: configure
	cmake --build $(BUILD) --target ui-gallery
	$(CTEST_ENV) $(BUILD)/tools/gallery/ui-gallery --shot $(BUILD)/shots/ui-gallery.png
	$(CTEST_ENV) QT_SCALE_FACTOR=2 $(BUILD)/tools/gallery/ui-gallery --shot $(BUILD)/shots/ui-gallery@2x.png

format:
	find foundation store ui resources app tests bench fuzz tools -name '*.cpp' -o -name '*.h' 2>/dev/null | xargs -r clang-format -i

# Starts the window on the desktop, built as users run it; ARGS go to it (make run ARGS=~/vault.fkx).
run: deps
	@cmake -S . -B $(RELEASE_BUILD) $(RELEASE_FLAGS) >/dev/null
	cmake --build $(RELEASE_BUILD) --target fenk
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		echo "No display to show Fenk on: start it on a virtual one with  xvfb-run $(RELEASE_BUILD)/app/fenk $(ARGS)"; exit 1; \
	fi
	$(RELEASE_BUILD)/app/fenk $(ARGS)

# The pictures of docs/screenshots/, taken from the real program on a virtual display (Xvfb) driven by xdotool.
screenshots: configure
	cmake --build $(BUILD) --target fenk fenk-cli fenk-screen-grab
	tools/screenshots.sh $(BUILD) docs/screenshots

clean:
	rm -rf $(BUILD) $(RELEASE_BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
