# The two set-up commands of the README, and a few more.
.PHONY: run test build bench package clean

build:
	cmake -S . -B build >/dev/null
	cmake --build build -j$$(nproc)

run:
	bash tests/install_deps.sh
	$(MAKE) build
	./build/kestrel

test:
	bash tests/run_all.sh

clean:
	rm -rf build build-*
