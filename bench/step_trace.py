#!/usr/bin/env python3
"""The instructions run() of bench/step_pass.cpp executed, in order, as
llvm-mca input: from qemu's log of a single-stepped run (-singlestep -d
exec,nochain) and objdump's listing of the program. Branch targets become a
label of their own (llvm-mca does not follow them); calls are left out (they
go to the general operators, and llvm-mca does not model them).

  step_trace.py LOG OBJDUMP_LISTING START SIZE > trace.s
"""
import re
import sys

log, listing, start, size = sys.argv[1], sys.argv[2], int(sys.argv[3], 16), int(sys.argv[4], 16)

text = {}
for line in open(listing):
    m = re.match(r'\s*([0-9a-f]+):\s+(.*)$', line)
    if not m:
        continue
    addr = int(m.group(1), 16)
    if start <= addr < start + size:
        # Addresses of branch targets and comments go.
        ins = re.sub(r'\s+(//|#\s).*$', '', m.group(2)).rstrip()
        ins = re.sub(r'\s+[0-9a-f]+ <[^>]*>$', ' target', ins)
        text[addr] = ins

trace = re.compile(r'Trace \d+: 0x[0-9a-f]+ \[[0-9a-f]+/([0-9a-f]+)/')
print('target:')
for line in open(log):
    m = trace.match(line)
    if not m:
        continue
    addr = int(m.group(1), 16)
    ins = text.get(addr)
    if ins is None or re.match(r'(bl|call|callq|ret|retq)\b', ins):
        continue
    print('\t' + ins)
