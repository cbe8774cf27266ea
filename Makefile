.PHONY: start test
start:
	scripts/start.sh
test:
	scripts/test.sh
