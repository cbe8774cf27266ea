#!/usr/bin/env python3
"""The editor's catalog listing and search on a generated catalog, as the
browser asks for them (`tidewise serve`, POST /api/catalog and
/api/search-items), first and warm, beside `ls` and `grep -l` over the same
files, in one run. Figures are wall times in ms; warm ones are medians of
interleaved rounds.

  bench/catalog_editor.py TIDEWISE CATALOG [RUNS]

"First" is a server started with an empty TIDEWISE_HOME, so that its first
request builds the catalog's index: every item read (a listing also counts
the pages not completed of the items it has time for). "Warm" is the same
server afterwards: the index in step, nothing changed.
"""

import http.client
import json
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SETTINGS = {"synchronizers": {"ISO Metadata Synchronizer": False,
                              "Item Description Synchronizer": False,
                              "Geography Synchronizer": False}}


class Editor:
    def __init__(self, tool, catalog):
        self.home = tempfile.mkdtemp(prefix="tidewise-bench-home-")
        with open(os.path.join(self.home, "settings.json"), "w") as out:
            json.dump(SETTINGS, out)
        env = dict(os.environ, TIDEWISE_HOME=self.home)
        self.child = subprocess.Popen([tool, "serve", catalog, "--port", "0"], env=env,
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        deadline = time.monotonic() + 60
        printed = ""
        while time.monotonic() < deadline:
            line = self.child.stdout.readline()
            if not line:
                break
            printed += line
            found = re.search(r"Open http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+)", line)
            if found:
                self.port, self.token = int(found.group(1)), found.group(2)
                return
        self.close()
        raise SystemExit(f"tidewise serve printed no address: {printed}")

    def post(self, name, body):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=3600)
        payload = json.dumps(body)
        start = time.perf_counter()
        connection.request("POST", f"/api/{name}", payload, {
            "Content-Type": "application/json", "X-Tidewise-Token": self.token,
            "Host": f"127.0.0.1:{self.port}"})
        reply = connection.getresponse()
        data = reply.read()
        took = (time.perf_counter() - start) * 1000
        connection.close()
        if reply.status != 200:
            raise SystemExit(f"{name}: {reply.status} {data[:400]!r}")
        return took, json.loads(data)

    def close(self):
        if self.child.poll() is None:
            self.child.send_signal(signal.SIGINT)
            self.child.wait(timeout=60)
        shutil.rmtree(self.home, ignore_errors=True)


def timed(command):
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return (time.perf_counter() - start) * 1000, done.stdout


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    tool, catalog = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    count = sum(1 for name in os.listdir(catalog) if name.endswith(".xml"))
    rows = {}

    # The first search of a catalog nobody listed yet.
    editor = Editor(tool, catalog)
    try:
        rows["first search \"saltmarsh\" (index built)"], found = editor.post(
            "search-items", {"text": "saltmarsh"})
        rare = len(found["matches"])
    finally:
        editor.close()

    editor = Editor(tool, catalog)
    try:
        rows["first listing (index built)"], listed = editor.post("catalog", {})
        if len(listed["items"]) != count:
            raise SystemExit(f"the editor lists {len(listed['items'])} items of {count}")
        _, found = editor.post("search-items", {"text": "sediment"})
        common = len(found["matches"])
        for word, n in (("saltmarsh", rare), ("sediment", common)):
            by_grep = len(timed(["grep", "-rli", word, catalog])[1].split())
            print(f'"{word}": grep -l finds {by_grep} files, the editor {n} items')
            if by_grep != n:
                raise SystemExit("the editor and grep disagree")
        warm = {k: [] for k in ("ls", "ls -l", "warm listing, all items",
                                "grep -rli saltmarsh", "warm search \"saltmarsh\"",
                                "grep -rli sediment", "warm search \"sediment\"")}
        for _ in range(runs):
            warm["ls"].append(timed(["ls", catalog])[0])
            warm["ls -l"].append(timed(["ls", "-l", catalog])[0])
            warm["warm listing, all items"].append(editor.post("catalog", {})[0])
            warm["grep -rli saltmarsh"].append(timed(["grep", "-rli", "saltmarsh", catalog])[0])
            warm["warm search \"saltmarsh\""].append(
                editor.post("search-items", {"text": "saltmarsh"})[0])
            warm["grep -rli sediment"].append(timed(["grep", "-rli", "sediment", catalog])[0])
            warm["warm search \"sediment\""].append(
                editor.post("search-items", {"text": "sediment"})[0])
        for name, times in warm.items():
            rows[name] = statistics.median(times)
    finally:
        editor.close()

    print(f"\n{count} items; first: one request; warm: medians of {runs} interleaved rounds")
    for name, ms in rows.items():
        print(f"{name:46} {ms:12.2f} ms")
    print("\nRatios")
    for what, a, b in (("first listing / ls -l", "first listing (index built)", "ls -l"),
                       ("warm listing / ls -l", "warm listing, all items", "ls -l"),
                       ("warm listing / ls", "warm listing, all items", "ls"),
                       ("first search / grep -l (rare)", "first search \"saltmarsh\" (index built)",
                        "grep -rli saltmarsh"),
                       ("warm search / grep -l (rare)", "warm search \"saltmarsh\"",
                        "grep -rli saltmarsh"),
                       ("warm search / grep -l (common)", "warm search \"sediment\"",
                        "grep -rli sediment")):
        print(f"{what:46} {rows[a] / rows[b]:12.2f}")


if __name__ == "__main__":
    main()
