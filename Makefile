# The two set-up commands of the README, and a few more.
.PHONY: run test build slips bench package package-deb package-deb-arm64 package-zip clean

# A Release build unless a build type is given (make run CMAKE_BUILD_TYPE=Debug,
# or CMAKE_BUILD_TYPE in the environment).
CMAKE_BUILD_TYPE ?= Release

build:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=$(CMAKE_BUILD_TYPE) >/dev/null
	cmake --build build -j$$(nproc)

run:
	bash tests/install_deps.sh run
	$(MAKE) build
	./build/kestrel

test:
	bash tests/run_all.sh

# The slip stage (tests/slips/slips.py; not part of `make test`): one-line
# slips planted one at a time, and those no test catches listed. Over the lines
# changed since BASE, the files or folders of FILES, or all of src/; LIMIT
# takes a sample (SEED chooses it), JOBS slips run side by side; AGAIN=OUTPUT
# plants once more the survivors an earlier run printed into OUTPUT.
slips:
	BASE='$(BASE)' FILES='$(FILES)' LIMIT='$(LIMIT)' SEED='$(SEED)' JOBS='$(JOBS)' AGAIN='$(AGAIN)' \
	  python3 tests/slips/slips.py

# The release packages: build-pkg/kestrel_<version>_amd64.deb,
# build-pkg-arm64/kestrel_<version>_arm64.deb (cross-built for 64-bit ARM) and
# build-pkg-win/kestrel-<version>-win64.zip (cross-built with mingw-w64). Every
# time stamp in them is the last commit's, so that two builds of one commit
# give the same bytes (a SOURCE_DATE_EPOCH given from outside wins); they are
# packed under umask 022, as the modes of the files written then go into them.
package: package-deb package-deb-arm64 package-zip
package package-deb package-deb-arm64 package-zip: export SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct)

package-deb:
	cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DKESTREL_TESTS=OFF >/dev/null
	cmake --build build-pkg -j$$(nproc)
	cd build-pkg && umask 022 && cpack

package-deb-arm64:
	cmake -S . -B build-pkg-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DKESTREL_TESTS=OFF >/dev/null
	cmake --build build-pkg-arm64 -j$$(nproc)
	cd build-pkg-arm64 && umask 022 && cpack

package-zip:
	cmake -S . -B build-pkg-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	umask 022 && cmake --build build-pkg-win -j$$(nproc) --target zip

# The benchmark, told in bench/README.md (not part of `make test`).
bench:
	bash bench/run.sh

clean:
	rm -rf build build-*
