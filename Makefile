# Entry points: `make demo` runs the tool on the shipped example, `make test`
# runs every test, `make bench [SIZE=small|medium|large|all]` measures it.
# All install what is missing first (Debian packages).

BUILD ?= build
JOBS ?= 2
SIZE ?= medium
PACKAGES := g++ make cmake libboost-dev libboost-program-options-dev \
            libboost-filesystem-dev libgtest-dev time

.PHONY: deps build demo test bench clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  SUDO=; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	cd examples && ../$(BUILD)/resolve-paralogs -s structs.txt -i solution.xml -o result.txt
	@echo "--- examples/result.txt"
	@cat examples/result.txt

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	BENCH_NO_BUILD=1 BUILD=$(BUILD) bash bench/run.sh $(SIZE)

clean:
	rm -rf $(BUILD)
