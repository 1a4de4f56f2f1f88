#!/usr/bin/env python3
"""sineCosineOfDegrees against sin and cos worked out with 400-bit arithmetic
(mpmath), for millions of float angles: whole turns either way, every float
exponent, the neighbours of the multiples of 90 degrees, the extremes. Prints
how many sines and cosines differ from the nearest double of the exact value,
and how many offset directions F = (cos h cos p, sin h cos p, -sin p), each
component rounded to float, come out otherwise than from the exact values.

    bench/angle_reference.py COUNT ANGLE_DUMP...

Each ANGLE_DUMP (a build of bench/angle_dump.cpp) is checked against the same
reference, so two builds can be compared in one run.
"""
import math
import random
import struct
import subprocess
import sys

from mpmath import mp, mpf

mp.prec = 400
K = 0.017453292519943295


def floats_of(bits):
    return struct.unpack('<%df' % len(bits), struct.pack('<%dI' % len(bits), *bits))


def angles(count):
    rng = random.Random(13)
    extremes = [0x00000000, 0x80000000, 0x00000001, 0x80000001, 0x007FFFFF, 0x00800000,
                0x7F7FFFFF, 0xFF7FFFFF, 0x7F800000, 0xFF800000, 0x7FC00000, 0xFFC00000]
    bits = list(extremes)
    for k in range(-2000, 2001):
        centre = struct.unpack('<I', struct.pack('<f', 90.0 * k))[0]
        for step in range(-3, 4):
            if k != 0:
                bits.append((centre + step) & 0xFFFFFFFF)
    quarter = (count - len(bits)) // 4
    bits += [struct.unpack('<I', struct.pack('<f', rng.uniform(-720.0, 720.0)))[0] for _ in range(quarter)]
    bits += [struct.unpack('<I', struct.pack('<f', rng.uniform(-90.0, 90.0)))[0] for _ in range(quarter)]
    bits += [struct.unpack('<I', struct.pack('<f', rng.uniform(-3e7, 3e7)))[0] for _ in range(quarter)]
    while len(bits) < count:
        b = rng.getrandbits(32)
        if (b >> 23) & 0xFF != 0xFF:
            bits.append(b)
    return bits


def to_float(value):
    return struct.unpack('<f', struct.pack('<f', value))[0]


def direction(sp, cp, sh, ch):
    return (to_float(ch * cp), to_float(sh * cp), -to_float(sp))


def same(a, b):
    return a == b or (math.isnan(a) and math.isnan(b))


def run(dump, degrees):
    raw = subprocess.run([dump], input=struct.pack('<%df' % len(degrees), *degrees),
                         capture_output=True, check=True).stdout
    return struct.unpack('<%dd' % (2 * len(degrees)), raw)


def reference(degrees):
    exact = []
    for d in degrees:
        x = d * K
        if math.isfinite(x):
            c, s = mp.cos_sin(mpf(x))
            exact.append((float(s), float(c)))
        else:
            exact.append((math.nan, math.nan))
    return exact


def report(dump, bits, degrees, got, exact):
    wrong = [0, 0]
    for i, d in enumerate(degrees):
        for part, name in ((0, 'sine'), (1, 'cosine')):
            if not same(got[2 * i + part], exact[i][part]):
                wrong[part] += 1
                if wrong[part] <= 5:
                    print('  %s of %r (0x%08X): %r, exact %r' % (name, d, bits[i], got[2 * i + part], exact[i][part]))
    wrong_direction = 0
    for i in range(len(degrees)):  # pitch i, heading the next angle
        j = (i + 1) % len(degrees)
        mine = direction(got[2 * i], got[2 * i + 1], got[2 * j], got[2 * j + 1])
        wanted = direction(exact[i][0], exact[i][1], exact[j][0], exact[j][1])
        if not all(same(a, b) for a, b in zip(mine, wanted)):
            wrong_direction += 1
    print('%s, %d angles:' % (dump, len(degrees)))
    print('  sines off the nearest double: %d' % wrong[0])
    print('  cosines off the nearest double: %d' % wrong[1])
    print('  offset directions off in a float: %d' % wrong_direction)
    return wrong_direction


def main():
    count = int(sys.argv[1])
    bits = angles(count)
    degrees = floats_of(bits)
    results = [(dump, run(dump, degrees)) for dump in sys.argv[2:]]
    exact = reference(degrees)
    failed = 0
    for dump, got in results:
        failed += report(dump, bits, degrees, got, exact)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
