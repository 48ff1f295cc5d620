#!/usr/bin/env python3
"""Runs a command (its output dropped) and prints its peak resident memory in KiB; exits with its status.

Usage: peak_memory.py COMMAND [ARG...]"""
import os
import subprocess
import sys

process = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
# wait4 gives this child's own peak, not that of every child so far.
_, status, usage = os.wait4(process.pid, 0)
print(usage.ru_maxrss)
sys.exit(os.waitstatus_to_exitcode(status))
