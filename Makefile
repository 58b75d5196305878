# make run   - install what is missing, build, start the program (against the
#              simulated station unless PORT names a real one: make run PORT=/dev/ttyUSB0);
#              without a display, a backup with cv2cli that can be watched instead
# make test  - install what is missing, build, run every test
# make fuzz  - every fuzz target for FUZZ_SECONDS each; make soak - the fault soak
# make bench - time backup and restore with cv2cli against cv2sim (instant and ten
#              times wire speed), stretches of a backup with cv2sim sending byte by
#              byte beside a bare C client (ten times and true wire speed), and the
#              idle window program; about half an hour. The table also goes to
#              build/bench.json; BENCH_BASELINE=DIR runs the cv2cli in DIR beside this one
BUILD ?= build
JOBS ?= $(shell nproc)
PORT ?=

.PHONY: all deps configure configure-windows build run test bench test-sanitize test-windows windows screenshots package docs fuzz soak clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target cv2sicherung cv2sim cv2cli
	@bash scripts/run.sh "$(BUILD)" "$(PORT)"

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

# Not part of make test: the runs at a multiple of wire speed take minutes.
BENCH_FACTOR ?= 10
BENCH_BASELINE ?=
bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target bench_backup bare_client cv2cli cv2sim cv2sicherung
	@$(BUILD)/bench/bench_backup --factor $(BENCH_FACTOR) --json $(BUILD)/bench.json \
	  $(if $(BENCH_BASELINE),--baseline $(BENCH_BASELINE))

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(BUILD)-sanitize -DCMAKE_BUILD_TYPE=Debug -DCV2_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)-sanitize -j $(JOBS)
	@cd $(BUILD)-sanitize && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS) --timeout 900

# The Qt-free core, the simulated station, cv2cli.exe and cv2sicherung.exe on the
# Win32 platform layers and their tests cross-built for 64-bit Windows with
# mingw-w64 and run under Wine (its prefix lives in the build folder); then
# cv2cli.exe against the Linux cv2sim through COM5, beside the Linux cv2cli
# (scripts/windows-e2e.sh), and the window program driven by keyboard on the
# virtual display (scripts/windows-window-e2e.sh, screenshots in build-windows/screenshots);
# last the setup program installed, updated and removed in a fresh Wine prefix
# (scripts/windows-setup-e2e.sh).
configure-windows:
	@bash scripts/install-deps.sh windows
	@cmake -S . -B $(BUILD)-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DCV2_WITH_QT=OFF -DCV2_GTEST_SOURCES=/usr/src/googletest >/dev/null

test-windows: configure configure-windows
	@cmake --build $(BUILD) -j $(JOBS) --target cv2sim cv2cli
	@cmake --build $(BUILD)-windows -j $(JOBS)
	@bash scripts/pack-windows.sh $(BUILD)-windows
	@bash scripts/test-windows.sh $(BUILD)-windows $(JOBS) $(BUILD)

# The window program cv2sicherung.exe and cv2cli.exe, statically linked, with the
# German guide as HTML: the setup program build-windows/cv2sicherung-<version>-setup.exe
# (NSIS, dist/windows/) and, for use without installation,
# build-windows/cv2sicherung-<version>-windows.zip.
windows: configure-windows
	@cmake --build $(BUILD)-windows -j $(JOBS) --target cv2sicherung cv2cli
	@bash scripts/pack-windows.sh $(BUILD)-windows

# MainWin, OptWin (as opened and enlarged), frmHinweis, a backup half-way, the restore's
# questions and a failure box as PNG files, drawn offscreen, and once more at 144 DPI
# as on a high-resolution screen, by the build tool cv2shots.
screenshots: configure
	@cmake --build $(BUILD) -j $(JOBS) --target cv2shots
	@QT_QPA_PLATFORM=offscreen $(BUILD)/cv2shots $(BUILD)/screenshots
	@QT_QPA_PLATFORM=offscreen QT_FONT_DPI=144 $(BUILD)/cv2shots $(BUILD)/screenshots/144dpi
	@ls -R $(BUILD)/screenshots

# The Debian package (build/cv2sicherung_*.deb) with the programs, desktop entry,
# icons and man pages; the tests are not built for it.
package: configure
	@cmake --build $(BUILD) -j $(JOBS) --target cv2_shipped
	@cd $(BUILD) && cpack -G DEB

# The guide's error list from the program's own message tables, and its pictures.
docs: screenshots
	@cmake --build $(BUILD) --target cv2_error_guide
	@$(BUILD)/dist/cv2_error_guide > docs/fehlermeldungen.md
	@mkdir -p docs/images && cp $(BUILD)/screenshots/*.png docs/images/

# Every fuzz target for FUZZ_SECONDS each (needs clang++), its corpus kept in
# the build folder between runs; a crash leaves its input there too.
FUZZ_SECONDS ?= 60
fuzz: configure
	@cmake --build $(BUILD) -j $(JOBS) --target cv2_fuzz
	@while read -r name options; do \
	  echo "== $$name, $(FUZZ_SECONDS) s"; \
	  mkdir -p $(BUILD)/fuzz/corpus/$$name; \
	  if $(BUILD)/fuzz/$$name $$options -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	      -artifact_prefix=$(BUILD)/fuzz/ $(BUILD)/fuzz/corpus/$$name > $(BUILD)/fuzz/$$name.log 2>&1; \
	  then grep -E '^Done|number_of_executed_units' $(BUILD)/fuzz/$$name.log; \
	  else tail -n 40 $(BUILD)/fuzz/$$name.log; exit 1; fi; \
	done < $(BUILD)/fuzz/fuzz_targets.txt

# Every fault of the table once in a backup over a good file and once in a restore
# followed by a clean one (make test runs the first four); SOAK_FAULTS=n runs the
# first n, SOAK_SEED=n repeats the random points of an earlier soak.
SOAK_FAULTS ?= 99
soak: configure
	@cmake --build $(BUILD) -j $(JOBS) --target cv2cli cv2sim
	@bash scripts/soak.sh $(BUILD) $(SOAK_FAULTS)

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)-fuzz $(BUILD)-windows
