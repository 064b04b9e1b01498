# Corvane: make deps | build | test | demo | bench | bench-ftp
BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES = cmake ninja-build g++ qt6-base-dev libcurl4-openssl-dev python3-pyftpdlib fonts-dejavu-core systemd

.PHONY: deps build test demo bench bench-ftp install clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build:
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD) -j $(JOBS)

test: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: deps build
	bash scripts/demo.sh $(BUILD)

bench: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD) --target corvane-cli bench_analysis
	bash bench/run.sh $(BUILD)

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

clean:
	rm -rf $(BUILD)
