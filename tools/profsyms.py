#!/usr/bin/env python3
"""Sums a benchmark's samples (bench/sampler.h) by function. A sample outside the
program is shown as [module] and, when the sampler found the program's code that
called out, also as [module] <- caller (the callers' table follows the main one).
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


def name(off):
    i = bisect.bisect_right(keys, off) - 1
    return syms[i][1] if i >= 0 else '?'


by = collections.Counter()
out = collections.Counter()
total = 0
for l in open(samples):
    f = l.split()
    mod, off, n = f[0], int(f[1], 16), int(f[2])
    total += n
    if mod.lower() == prog:
        by[name(off)] += n
    else:
        by['[' + mod + ']'] += n
        out['[' + mod + '] <- ' + (name(int(f[3], 16)) if len(f) > 3 else '?')] += n
for what, n in by.most_common(top):
    print(f'{100.0 * n / total:6.2f}% {n:7d}  {what}')
print(f'{total} samples')
if out:
    print('outside the program, by caller:')
    for what, n in out.most_common(top):
        print(f'{100.0 * n / total:6.2f}% {n:7d}  {what}')
