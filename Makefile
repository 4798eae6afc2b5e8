# The two set-up commands of the README, and a few more.
.PHONY: run test build bench package package-deb package-zip clean

build:
	cmake -S . -B build >/dev/null
	cmake --build build -j$$(nproc)

run:
	bash tests/install_deps.sh
	$(MAKE) build
	./build/kestrel

test:
	bash tests/run_all.sh

# The release packages: build-pkg/kestrel_<version>_amd64.deb and
# build-pkg-win/kestrel-<version>-win64.zip (cross-built with mingw-w64).
package: package-deb package-zip

package-deb:
	cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DKESTREL_TESTS=OFF >/dev/null
	cmake --build build-pkg -j$$(nproc)
	cd build-pkg && cpack

package-zip:
	cmake -S . -B build-pkg-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build-pkg-win -j$$(nproc)
	cd build-pkg-win && cpack

# The benchmark of the README's Performance section (not part of `make test`).
bench:
	bash bench/run.sh

clean:
	rm -rf build build-*
