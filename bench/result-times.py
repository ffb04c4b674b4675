#!/usr/bin/env python3
"""Reads velmora-cli --json events from standard input and writes, for every "result" event, the
seconds since this program started (one a line), so that a benchmark can see how the time per
file develops over a long list.

Usage: velmora-cli convert --json ... | result-times.py OUTFILE
"""
import json
import sys
import time


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    started = time.perf_counter()
    with open(sys.argv[1], "w") as out:
        for line in sys.stdin:
            try:
                event = json.loads(line)
            except ValueError:
                continue
            if event.get("event") == "result":
                out.write("%.4f %s\n" % (time.perf_counter() - started, event.get("status", "")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
