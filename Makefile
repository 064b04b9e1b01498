# Corvane: make deps | build | test | demo | bench [BENCH_MILLION=1] [BENCH_COMPARE=other-build] | bench-ui | bench-ftp | fuzz
# make test SANITIZE=1: the whole suite under ASan and UBSan, in build-sanitize (by hand).
# make fuzz [FUZZ_RUNS=n] [FUZZ_SECONDS=s] [FUZZ_TIMEOUT=s] [FUZZ_TARGETS="statefile ..."]:
# libFuzzer over every parser, in build-fuzz, one target after another (FUZZ_TIMEOUT: seconds
# an input may take before it counts as a hang, 1 unless the machine is loaded).
ifeq ($(SANITIZE),1)
BUILD ?= build-sanitize
CMAKE_FLAGS = -DCORVANE_SANITIZE=ON
else
BUILD ?= build
endif
JOBS ?= $(shell nproc)
PACKAGES = cmake ninja-build g++ pkg-config qt6-base-dev libcurl4-openssl-dev libssh-dev python3-pyftpdlib fonts-dejavu-core systemd dbus-daemon \
           proftpd-core proftpd-mod-crypto openssl openssh-server
FUZZ_PACKAGES = clang libclang-rt-14-dev
BENCH_PACKAGES = time
FUZZ_BUILD ?= build-fuzz
FUZZ_RUNS ?= 1000000
FUZZ_SECONDS ?= 0
FUZZ_TIMEOUT ?= 1
FUZZ_TARGETS ?= tasklist statefile mlsdline listline transferjournal updateini installname

.PHONY: deps build test demo bench bench-ui bench-ftp install clean fuzz

# $(call install,packages): installs those of the Debian packages that are missing.
define install
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install,$(PACKAGES))

build:
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

test: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: deps build
	bash scripts/demo.sh $(BUILD)

bench: deps
	$(call install,$(BENCH_PACKAGES))
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD) --target corvane-cli bench_analysis
	bash bench/run.sh $(BUILD)

bench-ui: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD) --target bench_ui_jobpage
	work=$$(mktemp -d) && QT_QPA_PLATFORM=offscreen $(BUILD)/bench/bench_ui_jobpage $$work; rm -rf $$work

bench-ftp: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD) --target corvane-cli
	/usr/bin/python3 bench/ftp_roundtrips.py $(BUILD) $(BENCH_FTP_ARGS)

install: build
	@[ -n "$(PREFIX)" ] || { echo "usage: make install PREFIX=/some/folder"; exit 64; }
	mkdir -p "$(PREFIX)"
	for e in Corvane Update corvane-cli; do \
	  if [ -f "$(BUILD)/$$e" ]; then cp "$(BUILD)/$$e" "$(PREFIX)/"; fi; \
	done
	mkdir -p "$(PREFIX)/help" && cp -R help/. "$(PREFIX)/help/"

fuzz: deps
	$(call install,$(FUZZ_PACKAGES))
	@[ -f $(FUZZ_BUILD)/build.ninja ] || cmake -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	bash tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_RUNS) $(FUZZ_SECONDS) $(FUZZ_TIMEOUT) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD)
