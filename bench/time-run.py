#!/usr/bin/env python3
"""Runs one program and appends "wall cpu peak-rss" to a file: wall and CPU (user + system of the
process and all its threads) in seconds with microsecond resolution, peak resident memory in KiB,
all from wait4() of the child itself (no shell in between). Standard output and error of the
program go to /dev/null and to ERRFILE; a failing program fails this one.

Usage: time-run.py RESULTFILE ERRFILE PROGRAM [ARGUMENT ...]
"""
import os
import sys
import time


def main():
    if len(sys.argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    result_file, err_file, argv = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(os.devnull, "wb") as null, open(err_file, "wb") as err:
        started = time.perf_counter()
        pid = os.fork()
        if pid == 0:
            os.dup2(null.fileno(), 1)
            os.dup2(err.fileno(), 2)
            try:
                os.execv(argv[0], argv)
            finally:
                os._exit(127)
        _, status, usage = os.wait4(pid, 0)
        wall = time.perf_counter() - started
    if os.waitstatus_to_exitcode(status) != 0:
        return 1
    with open(result_file, "a") as out:
        out.write("%.4f %.4f %d\n" % (wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss))
    return 0


if __name__ == "__main__":
    sys.exit(main())
