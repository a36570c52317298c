# The two commands a newcomer needs: `make run` and `make test`. Both install what is missing first.
MAKEFLAGS += --no-print-directory
NATIVE := build/native
WIN    := build/win
JOBS   ?= $(shell nproc)

.PHONY: run test setup native windows test-native test-windows clean

setup:
	@tools/setup

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

windows: setup
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLECTAVO_NATIVE_BUILD=$(CURDIR)/$(NATIVE) >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

test-native: native
	@ctest --test-dir $(NATIVE) --output-on-failure

# Windows tests share one rig (virtual display, prefix, virtual desktop) that is stopped afterwards, in a
# network namespace of their own where the machine allows it (they need loopback ports 80 and 1028).
test-windows: native windows
	@tools/isolated-net tools/wine-rig run ctest --test-dir $(WIN) --output-on-failure

test: test-native test-windows

run: native windows
	@tools/run-program

clean:
	rm -rf build
