# make run   - install what is missing, build, start the program (against the
#              simulated station unless PORT names a real one: make run PORT=/dev/ttyUSB0)
# make test  - install what is missing, build, run every test
BUILD ?= build
JOBS ?= $(shell nproc)
PORT ?=

.PHONY: all deps configure build run test test-sanitize screenshots fuzz clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target cv2sicherung cv2sim
	@bash scripts/run.sh "$(BUILD)" "$(PORT)"

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(BUILD)-sanitize -DCMAKE_BUILD_TYPE=Debug -DCV2_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)-sanitize -j $(JOBS)
	@cd $(BUILD)-sanitize && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS) --timeout 900

# MainWin, OptWin (as opened and enlarged) and frmHinweis as PNG files, drawn
# offscreen, and once more at 144 DPI as on a high-resolution screen.
screenshots: configure
	@cmake --build $(BUILD) -j $(JOBS) --target cv2sicherung
	@QT_QPA_PLATFORM=offscreen $(BUILD)/cv2sicherung --screenshots $(BUILD)/screenshots
	@QT_QPA_PLATFORM=offscreen QT_FONT_DPI=144 $(BUILD)/cv2sicherung --screenshots $(BUILD)/screenshots/144dpi
	@ls -R $(BUILD)/screenshots

# A longer fuzz run of the receive assembler than the one in make test (needs clang++).
FUZZ_RUNS ?= 5000000
fuzz: configure
	@cmake --build $(BUILD) --target receive_assembler_fuzz
	@$(BUILD)/fuzz/receive_assembler_fuzz -runs=$(FUZZ_RUNS) -max_len=512

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)-fuzz
