#!/usr/bin/env python3
"""Known answers for the password digest, computed from RFC 1321's formulas.

The compression function here is written the straightforward way (constants from sin(i), the
per-round rotation table and message-word order derived from the round index) so that it shares
nothing with the C++ implementation. The digest starts from four zero words, pads the last block
with zero bytes only and appends no length. Run it and paste its lines into MD5_RC4_test.cpp.
"""
import math
import struct

MASK = 0xFFFFFFFF
K = [int(abs(math.sin(i + 1)) * 2**32) & MASK for i in range(64)]
S = [7, 12, 17, 22] * 4 + [5, 9, 14, 20] * 4 + [4, 11, 16, 23] * 4 + [6, 10, 15, 21] * 4


def rotl(x, n):
    return ((x << n) | (x >> (32 - n))) & MASK


def compress(state, block):
    x = struct.unpack("<16I", block)
    a, b, c, d = state
    for i in range(64):
        if i < 16:
            f, g = (b & c) | (~b & d), i
        elif i < 32:
            f, g = (d & b) | (~d & c), (5 * i + 1) % 16
        elif i < 48:
            f, g = b ^ c ^ d, (3 * i + 5) % 16
        else:
            f, g = c ^ (b | (~d & MASK)), (7 * i) % 16
        f &= MASK
        a, d, c, b = d, c, b, (b + rotl((a + f + K[i] + x[g]) & MASK, S[i])) & MASK
    return [(s + v) & MASK for s, v in zip(state, (a, b, c, d))]


def digest(data):
    state = [0, 0, 0, 0]
    for pos in range(0, len(data), 64):
        chunk = data[pos:pos + 64]
        state = compress(state, chunk + bytes(64 - len(chunk)))
    return struct.pack("<4I", *state)


def pattern(n):
    """The inputs the C++ test builds: byte i is (i * 7 + 1) mod 256 (so bytes above 127 occur)."""
    return bytes((i * 7 + 1) % 256 for i in range(n))


CASES = [
    ("abc", b"abc"),
    ("pattern 63", pattern(63)),
    ("pattern 64", pattern(64)),
    ("pattern 65", pattern(65)),
    ("pattern 128", pattern(128)),
    ("high bytes", bytes([0x80, 0xA9, 0xFF, 0xE9, 0xC4])),
    ("Abc", b"Abc"),
]

if __name__ == "__main__":
    for name, data in CASES:
        d = digest(data)
        print(f'{{"{name}", {{{", ".join(f"0x{v:02X}" for v in d)}}}, {sum(d) % 256}}},')
