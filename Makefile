# Two entry points: `make run` builds and starts setup.exe under Wine; `make test` builds
# and runs every test under Wine. Both install what they need first (as root on Debian).
BUILD_DIR ?= build
export BUILD_DIR

.PHONY: run test bench build screenshots release clean

run:
	scripts/run.sh

test:
	scripts/test.sh

bench:
	bench/run.sh

screenshots:
	scripts/run.sh --screenshots

release:
	scripts/release.sh

build:
	scripts/build.sh

clean:
	rm -rf $(BUILD_DIR) dist
