# Front door for people and CI. Every target installs what is missing first, so
# `make run` and `make test` work on a fresh Debian 12 machine.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
PACKAGES   := build-essential cmake ninja-build pkg-config \
              qt6-base-dev qt6-svg-dev libqt6svg6 libsqlite3-dev \
              libgtest-dev libgmock-dev strace python3 dbus \
              libcpp-httplib-dev python3-selenium chromium chromium-driver

# What `make package` needs besides: the package tools and lintian, which
# checks the package.
PACKAGE_TOOLS := dpkg-dev file lintian

.PHONY: all deps package-deps configure build run test check-asan bench install uninstall package clean

all: build

deps package-deps: NEEDED = $(if $(filter package-deps,$@),$(PACKAGE_TOOLS),$(PACKAGES))
deps package-deps:
	@missing=""; \
	for p in $(NEEDED); do \
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
	$(BUILD_DIR)/qel

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

# The engine, the wrapper, the record classes and qelctl built with
# AddressSanitizer and UndefinedBehaviorSanitizer in a folder of their own, and
# their tests run there: the first report ends the program that made it.
ASAN_BUILD_DIR ?= $(BUILD_DIR)-asan
SANITIZE := -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all
check-asan: deps
	@if [ ! -f $(ASAN_BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	    -DCMAKE_C_FLAGS="$(SANITIZE)" -DCMAKE_CXX_FLAGS="$(SANITIZE)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)" -DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZE)"; \
	fi
	cmake --build $(ASAN_BUILD_DIR) --target sanitize_tests
	cd $(ASAN_BUILD_DIR) && ASAN_OPTIONS=halt_on_error=1:abort_on_error=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j2 -L sanitize

bench: build
	cmake --build $(BUILD_DIR) --target run_benchmarks

# The help file's folder is compiled into the programs, so a PREFIX is set in
# the build's configuration (and the programs rebuilt) before installing.
install: configure
	$(if $(PREFIX),cmake -S . -B $(BUILD_DIR) -DCMAKE_INSTALL_PREFIX=$(abspath $(PREFIX)) -UQEL_HELP_INSTALL_DIR)
	cmake --build $(BUILD_DIR)
	cmake --install $(BUILD_DIR)

# Removes every file the last `make install` wrote (cmake lists them in the
# build folder), then the folders of Qel's own that are left empty.
uninstall:
	@test -f $(BUILD_DIR)/install_manifest.txt || { echo "Nothing to uninstall: no $(BUILD_DIR)/install_manifest.txt"; exit 1; }
	@while IFS= read -r f || [ -n "$$f" ]; do rm -fv -- "$$f"; done < $(BUILD_DIR)/install_manifest.txt
	@for d in $$(grep -E '/(qel|doc/qel)/[^/]+$$' $(BUILD_DIR)/install_manifest.txt | xargs -r -n1 dirname | sort -u); do \
	  rmdir --ignore-fail-on-non-empty -- "$$d"; done

# The Debian package is built in its own folder, configured for /usr, and
# lands there as qel_<version>_<arch>.deb.
DEB_BUILD_DIR ?= $(BUILD_DIR)-deb
package: deps package-deps
	cmake -S . -B $(DEB_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -UQEL_HELP_INSTALL_DIR -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
	cmake --build $(DEB_BUILD_DIR) --target qel qelctl qelisam qel_docs qel_help
	cd $(DEB_BUILD_DIR) && cpack -G DEB
	@ls -1 $(DEB_BUILD_DIR)/*.deb
	lintian --fail-on error $(DEB_BUILD_DIR)/*.deb

clean:
	rm -rf $(BUILD_DIR) $(DEB_BUILD_DIR) $(ASAN_BUILD_DIR)
