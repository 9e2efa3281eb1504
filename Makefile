# Front door for people and CI. Every target installs what is missing first, so
# `make run` and `make test` work on a fresh Debian 12 machine.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
PACKAGES   := build-essential cmake ninja-build pkg-config \
              qt6-base-dev qt6-svg-dev libqt6svg6 libsqlite3-dev \
              libgtest-dev libgmock-dev libbenchmark-dev strace

.PHONY: all deps configure build run test bench install package clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	  else \
	    echo "Missing packages. Run:"; echo "  sudo apt-get install$$missing"; exit 1; \
	  fi; \
	fi

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi

build: configure
	cmake --build $(BUILD_DIR)

run: build
	@if [ -x $(BUILD_DIR)/qel ]; then exec $(BUILD_DIR)/qel; \
	elif [ -x $(BUILD_DIR)/qelctl ]; then exec $(BUILD_DIR)/qelctl board; \
	else echo "Neither qel nor qelctl has been built yet; 'make test' runs what exists."; fi

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

bench: build
	cmake --build $(BUILD_DIR) --target run_benchmarks

install: build
	cmake --install $(BUILD_DIR) $(if $(PREFIX),--prefix $(PREFIX))

package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR)
