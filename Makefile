# Short names for the project's scripts; each installs what it needs first.
.PHONY: run test bench demo dist
run:
	tools/run
test:
	tools/test
bench:
	tools/bench
demo:
	tools/demo
dist:
	tools/dist
