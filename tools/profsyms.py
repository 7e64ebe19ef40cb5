#!/usr/bin/env python3
"""Sums a benchmark's samples (bench/sampler.h) by function.
   profsyms.py <samples file> <program.exe> [top]"""
import bisect, collections, subprocess, sys

samples, exe = sys.argv[1], sys.argv[2]
top = int(sys.argv[3]) if len(sys.argv) > 3 else 30
prog = exe.replace('\\', '/').split('/')[-1].lower()
head = subprocess.run(['x86_64-w64-mingw32-objdump', '-p', exe], capture_output=True, text=True).stdout
base = next(int(l.split()[1], 16) for l in head.splitlines() if l.startswith('ImageBase'))
syms = []
for l in subprocess.run(['x86_64-w64-mingw32-nm', '-C', '--defined-only', exe], capture_output=True,
                        text=True).stdout.splitlines():
    parts = l.split(' ', 2)
    if len(parts) == 3 and parts[1] in 'tTwW':
        syms.append((int(parts[0], 16) - base, parts[2]))
syms.sort()
keys = [s[0] for s in syms]
by = collections.Counter()
total = 0
for l in open(samples):
    mod, off, n = l.split()
    off, n = int(off, 16), int(n)
    total += n
    if mod.lower() == prog:
        i = bisect.bisect_right(keys, off) - 1
        by[syms[i][1] if i >= 0 else '?'] += n
    else:
        by['[' + mod + ']'] += n
for name, n in by.most_common(top):
    print(f'{100.0 * n / total:6.2f}% {n:7d}  {name}')
print(f'{total} samples')
