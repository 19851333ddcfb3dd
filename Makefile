# Entry points: `make demo` builds the two programs and runs the tool on the
# shipped example, `make test` builds everything and runs every test, `make
# pipeline` runs the workflow on its example collection,
# `make bench [SIZE=small|medium|large|all]` measures the tool, `make
# bench-model`, `bench-dcj`, `bench-solution`, `bench-workflow`, `bench-many` and `bench-typing` the rest,
# `make test-cluster` runs the workflow's SLURM profile on a one-node SLURM.
# All install what is missing first (Debian packages).

BUILD ?= build
JOBS ?= 2
SIZE ?= medium
PACKAGES := g++ make cmake libboost-dev libboost-program-options-dev \
            libboost-filesystem-dev libboost-iostreams-dev libzstd-dev libgtest-dev time \
            gzip bzip2 xz-utils zstd coinor-cbc glpk-utils snakemake help2man dpkg-dev \
            python3-biopython python3-matplotlib python3-numpy python3-jsonschema \
            python3-networkx chromium

.PHONY: deps deps-debian configure programs build demo test bench clean

deps: deps-debian deps-highs

deps-debian:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  SUDO=; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q --no-install-recommends $$missing; \
	fi

# HiGHS for `paralogs pair --solver highs`: the npm package `highs` (HiGHS
# compiled to WebAssembly) run by Node.js, installed from solvers/highs/'s
# package-lock.json. Node.js and npm come from Debian when missing.
HIGHS_DIR := solvers/highs
.PHONY: deps-highs
deps-highs:
	@if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then \
	  echo "installing: nodejs npm"; \
	  SUDO=; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q --no-install-recommends nodejs npm; \
	fi
	@if ! cmp -s $(HIGHS_DIR)/package-lock.json $(HIGHS_DIR)/node_modules/.installed-lock.json 2>/dev/null; then \
	  echo "installing: highs (npm, $(HIGHS_DIR)/node_modules)"; \
	  cd $(HIGHS_DIR) && npm ci --no-audit --no-fund --loglevel=error && \
	  cp package-lock.json node_modules/.installed-lock.json; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

# The two programs only (what the demo and an install need).
programs: configure
	cmake --build $(BUILD) -j $(JOBS) --target resolve-paralogs paralogs

# Everything: the programs, the tests (GoogleTest) and the benchmarks.
build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: programs
	cd examples && ../$(BUILD)/resolve-paralogs -s structs.txt -i solution.xml -o result.txt
	@echo "--- examples/result.txt"
	@cat examples/result.txt

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	BENCH_NO_BUILD=1 BUILD=$(BUILD) bash bench/run.sh $(SIZE)

# Benchmarks of the companion program and of the pipeline; BENCH_ARGS are
# passed to the script (e.g. BENCH_ARGS=--cbc, BENCH_ARGS=--skip-real,
# BENCH_ARGS="--genomes 8 --genes 300" for a quick bench-many).
BENCH_ARGS ?=
.PHONY: bench-model bench-dcj bench-dcj-road bench-solution bench-workflow bench-many bench-typing
bench-many: build
	BENCH_NO_BUILD=1 BUILD=$(BUILD) bash bench/many.sh $(BENCH_ARGS)

bench-model: build
	BENCH_NO_BUILD=1 BUILD=$(BUILD) bash bench/model.sh $(BENCH_ARGS)

# `make bench-dcj [BENCH_ARGS='--seconds 30 --sizes "1000 4000"']`: the DCJ-indel program and CBC on it.
bench-dcj: build
	BENCH_NO_BUILD=1 BUILD=$(BUILD) bash bench/dcj.sh $(BENCH_ARGS)

# `make bench-dcj-road [REAL=1] [BENCH_ARGS='--solvers cbc --seconds 60']`: the
# DCJ-indel distance through paralogs pair (the symmetry pair, the generated
# pairs; REAL=1: human/mouse under the three models too), CBC and HiGHS.
REAL ?= 0
bench-dcj-road: build
	BUILD=$(BUILD) bash bench/dcj_road.sh $(if $(filter 1,$(REAL)),--real --models "maximum exemplar intermediate") $(BENCH_ARGS)

bench-solution: build
	BENCH_NO_BUILD=1 BUILD=$(BUILD) bash bench/solution.sh $(SIZE) $(BENCH_ARGS)

bench-workflow: build
	BENCH_NO_BUILD=1 BUILD=$(BUILD) bash bench/workflow.sh $(BENCH_ARGS)

# `make bench-typing [BENCH_ARGS='--genomes 200 --communities 4 --large 2000']`:
# a typing of 1,000 generated genomes in 20 communities (long: run it at low
# priority, nice -n 19 make bench-typing).
bench-typing: build
	BENCH_NO_BUILD=1 BUILD=$(BUILD) bash bench/typing.sh $(BENCH_ARGS)

# `make pipeline [SOLVER=glpsol] [PIPELINE_ARGS=...]` runs the Snakemake
# workflow of workflow/ with config/config.yaml: every pair of the example
# collection (results in results/), then the example sheet of pairs
# config/samples.tsv (results in results/sheet/), then a typing of the
# collection (pairs: related, DCJ-indel; its genomes are 6 to 24 apart, so
# communities at 12; results in results/typing/).
SOLVER ?=
PIPELINE_ARGS ?=
.PHONY: pipeline
pipeline: build
	snakemake --cores $(JOBS) --config build=$(abspath $(BUILD)) \
	  $(if $(SOLVER),solver=$(SOLVER)) $(PIPELINE_ARGS)
	snakemake --cores $(JOBS) --config build=$(abspath $(BUILD)) pairs=config/samples.tsv \
	  results=results/sheet $(if $(SOLVER),solver=$(SOLVER)) $(PIPELINE_ARGS)
	@echo "--- results/summary.tsv (every pair of workflow/example/collection.unimog)"
	@cut -f 1-3,12,20,21,22 results/summary.tsv
	@echo "--- results/sheet/summary.tsv (the pairs of config/samples.tsv)"
	@cut -f 1-3,12,20,21,22 results/sheet/summary.tsv
	@echo "--- distance matrix: results/distances.tsv, results/distances.phy"
	@echo "--- neighbour-joining tree: results/tree.nwk"
	@echo "--- pictures: results/heatmap.png, results/heatmap.svg, results/pairs/PAIR/pair.png and .svg"
	snakemake --cores $(JOBS) --config build=$(abspath $(BUILD)) pairs=related distance=dcj community_threshold=12 \
	  results=results/typing $(if $(SOLVER),solver=$(SOLVER)) $(PIPELINE_ARGS)
	@echo "--- typing (pairs: related, DCJ-indel): results/typing/communities.tsv, results/typing/network.png"
	@echo "--- report: $(abspath results/typing/report.html)"

# `make test-cluster` (as root): a one-node SLURM of Debian's slurm-wlm and
# munge started in a temporary folder (tests/workflow/slurm_cluster.sh), the
# pipeline's typing through workflow/profiles/slurm on it against a local
# run, refused and forgotten jobs (tests/workflow/cluster_test.sh); its
# daemons are stopped at the end, whatever happens.
CLUSTER_PACKAGES := slurm-wlm munge
.PHONY: deps-cluster test-cluster
deps-cluster: deps
	@$(MAKE) --no-print-directory deps-debian PACKAGES="$(CLUSTER_PACKAGES)"

test-cluster: deps-cluster programs
	bash tests/workflow/cluster_test.sh --build $(BUILD)

clean:
	rm -rf $(BUILD)

# `make install [PREFIX=/usr/local] [DESTDIR=]` installs the programs, their
# man pages, the workflow and bash completion; `make deb` builds the Debian
# package in $(BUILD)/package, `make deb-check` checks it and runs the demo
# from it.
PREFIX ?= /usr/local
.PHONY: install deb deb-check
install: configure
	cmake --build $(BUILD) -j $(JOBS) --target resolve-paralogs paralogs man
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

deb: configure
	cmake --build $(BUILD) -j $(JOBS) --target resolve-paralogs paralogs man
	cd $(BUILD) && cpack -G DEB

deb-check: deb
	bash packaging/check_deb.sh $(BUILD)

# Hardening: `make test-sanitize` runs the whole test suite built with
# AddressSanitizer and UndefinedBehaviorSanitizer (g++); `make fuzz
# [FUZZ_FULL_RUNS=1000000 FUZZ_FULL_SECONDS=3600]` runs each libFuzzer
# target (clang++) to that many executions or for that long, whichever comes
# first, `make fuzz-smoke` each for FUZZ_RUNS inputs from a fixed seed.
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_WORK ?= $(FUZZ_BUILD)/work
FUZZ_CXX ?= clang++-14
FUZZ_RUNS ?= 5000
FUZZ_TARGETS := structs solution zname run genomes solvers unimog bounds solverlog grimm sheet args
FUZZ_PACKAGES := clang-14 libclang-rt-14-dev
SANITIZE_ENV := ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
                UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Under the fuzzers an allocation over 32 MiB counts as unsatisfiable, so that
# huge declared counts end quickly in "bad allocation" (libFuzzer itself takes
# 20 MiB at once; at 64 MiB the structures reader's target ran 535
# executions a second, reserving tens of MiB for counts its input declares,
# at 32 MiB 1,188).
FUZZ_ENV := ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=32:detect_leaks=1 \
            UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: test-sanitize deps-fuzz fuzz-build fuzz fuzz-smoke

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=g++ \
	  -DRESOLVE_PARALOGS_SANITIZE=address,undefined
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	$(SANITIZE_ENV) ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

deps-fuzz: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"

fuzz-build: deps-fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	  -DRESOLVE_PARALOGS_FUZZ=ON -DRESOLVE_PARALOGS_TESTS=OFF -DRESOLVE_PARALOGS_BENCH=OFF \
	  -DRESOLVE_PARALOGS_SANITIZE=fuzzer-no-link,address,undefined
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))

# Each target through fuzz/run_targets.sh: new inputs go to
# $(FUZZ_WORK)/TARGET, findings to $(FUZZ_WORK)/TARGET-crash-..., a table of
# executions, findings and seconds per target to $(FUZZ_WORK)/summary.tsv
# and the screen. FUZZ_EXTRA_TARGET=DIR adds a corpus directory.
FUZZ_FULL_RUNS ?= 1000000
FUZZ_FULL_SECONDS ?= 3600
# An input that allocates a declared count of millions takes seconds under
# the sanitizers, and more on a loaded machine.
FUZZ_TIMEOUT ?= 60
run_fuzz_targets = FUZZ_BUILD=$(FUZZ_BUILD) FUZZ_WORK=$(FUZZ_WORK) $(FUZZ_ENV) bash fuzz/run_targets.sh

fuzz: fuzz-build
	FUZZ_RUNS=$(FUZZ_FULL_RUNS) FUZZ_SECONDS=$(FUZZ_FULL_SECONDS) FUZZ_SEED=0 FUZZ_TIMEOUT=$(FUZZ_TIMEOUT) \
	  $(run_fuzz_targets) $(FUZZ_TARGETS)

fuzz-smoke: fuzz-build
	FUZZ_RUNS=$(FUZZ_RUNS) FUZZ_SECONDS=120 FUZZ_SEED=1 $(run_fuzz_targets) $(FUZZ_TARGETS)
