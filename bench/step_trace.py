#!/usr/bin/env python3
"""The instructions run() of bench/step_pass.cpp executed, in order, as
llvm-mca input: from qemu's log of a single-stepped run (-singlestep -d
exec,nochain) and objdump's listing of the program. Branch targets become a
label of their own (llvm-mca does not follow them); calls are left out (they
go to the general operators, and llvm-mca does not model them).

llvm-mca does not model branch prediction either, so the conditional
branches' outcomes are also played through a gshare predictor (16 bits of
global history, 64K two-bit counters: a plain one, which a current
processor's predictor does not do worse than on such code), and the count
of its mispredictions goes to standard error as "mispredicted N of M".

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

# The address after each instruction: where a conditional branch falls
# through.
addresses = sorted(text)
following = dict(zip(addresses, addresses[1:]))
conditional = re.compile(r'(b\.\w+|cbn?z|tbn?z|j(?!mp)[a-z]+)\b')

HISTORY_BITS = 16
history = 0
counters = bytearray([1]) * (1 << HISTORY_BITS)
branches = mispredicted = 0
pending = None  # the last conditional branch, its outcome not yet seen

trace = re.compile(r'Trace \d+: 0x[0-9a-f]+ \[[0-9a-f]+/([0-9a-f]+)/')
print('target:')
for line in open(log):
    m = trace.match(line)
    if not m:
        continue
    addr = int(m.group(1), 16)
    if pending is not None:
        taken = addr != following.get(pending)
        slot = ((pending >> 2) ^ history) & ((1 << HISTORY_BITS) - 1)
        branches += 1
        mispredicted += (counters[slot] >= 2) != taken
        counters[slot] = min(counters[slot] + 1, 3) if taken else max(counters[slot] - 1, 0)
        history = ((history << 1) | taken) & ((1 << HISTORY_BITS) - 1)
        pending = None
    ins = text.get(addr)
    if ins is None:
        continue
    if conditional.match(ins):
        pending = addr
    if re.match(r'(bl|call|callq|ret|retq)\b', ins):
        continue
    print('\t' + ins)
print(f'mispredicted {mispredicted} of {branches}', file=sys.stderr)
