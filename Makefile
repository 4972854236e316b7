# Short names for the project's scripts; each installs what it needs first.
.PHONY: run test bench demo
run:
	tools/run
test:
	tools/test
bench:
	tools/bench
demo:
	tools/demo
