#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses into tests/fuzz/corpus/.

The harnesses read their input through libFuzzer's FuzzedDataProvider: strings and raw bytes come
from the front, numbers and flags from the back (most significant byte last in the file). The
seeds here are real instrument traffic and real settings files in that layout, so that fuzzing
starts from meaningful inputs.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(ftype, payload=b""):
    body = bytes([0x02, len(payload) + 1, ftype]) + payload
    check = 0
    for b in body:
        check ^= b
    return body + bytes([check, 0x03])


def reading(r):
    return frame(1, b"%+06d" % r)


class Tail:
    """Numbers consumed from the end of the input, in consumption order."""

    def __init__(self):
        self.consumed = []

    def integral(self, value, low, high):
        span, offset = high - low, value - low
        n = 0
        while n < 8 and (span >> (8 * n)) > 0:
            n += 1
        self.consumed += [(offset >> (8 * (n - 1 - i))) & 0xFF for i in range(n)]
        return self

    def raw(self, data):
        """An unsigned full-width number given as its little-endian bytes."""
        self.consumed += list(reversed(data))
        return self

    def boolean(self, flag):
        return self.integral(1 if flag else 0, 0, 255)

    def bytes(self):
        return bytes(reversed(self.consumed))


def string(text):
    """A ConsumeRandomLengthString field: backslashes doubled, ended by a backslash and a blank."""
    return text.replace(b"\\", b"\\\\") + b"\\ "


def write(corpus, name, data):
    path = os.path.join(HERE, "corpus", corpus)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


def framescan():
    traffic = {
        "reading-12345": reading(12345),
        "two-readings": reading(150000) + reading(12345),
        "zero-status-a": frame(2) + frame(7) + frame(1, b"A"),
        "bad-check": reading(12345)[:-2] + b"\x55\x03" + reading(-5),
        "noise-between": b"noise\xff\x00" + reading(99999) + b"\x10\x20" + frame(2),
        "long-length-byte": b"\x02\xff" + b"garbage" * 5 + reading(1),
        "flood": b"".join(reading(i * 37 - 20000) for i in range(400)),
        "oversized": bytes(range(3, 256)) * 50 + reading(42),
    }
    for name, stream in traffic.items():
        splits = ([len(stream)], [3], [1, 7, 4096], [10000, 12000])
        if name == "oversized":
            # Held noise is scanned again with every burst; tiny bursts only slow the fuzzer.
            splits = ([len(stream)], [10000, 12000])
        for bursts in splits:
            tail = Tail().boolean(False).integral(len(bursts), 1, 16)
            for b in bursts:
                tail.integral(min(b, 15000), 1, 15000)
            write("framescan", "%s-%s" % (name, "-".join(map(str, bursts))), stream + tail.bytes())
    # Structured mode: flags and sizes only; the harness builds the stream.
    for seed in range(4):
        tail = Tail().boolean(True).integral(3, 1, 16)
        for b in (5, 300 + seed, 10000):
            tail.integral(b, 1, 15000)
        for kind in (4, 5, 1, 3, 2, 0):
            tail.integral(kind, 0, 5).integral(20 * (seed + 1), 0, 254)
        write("framescan", "structured-%d" % seed, bytes(range(seed, 250, 3)) + tail.bytes())


def profilefile():
    files = {
        "fresh": None,
        "login": "[SYSTEM]\r\nLOGINDLGNAME=张三\r\nLOGINDLGNO=B-2024-01\r\nLOGINDLGSERIALNO=2\r\n"
        "VELMORADLGCOLLECTIONNUM=6\r\n".encode("gb18030"),
        "modes": b"[SYSTEM]\nnSelMode=2\n[consistence]\nm_a=66.5\nm_lenC=2.00\n[a]\nm_C=1.00\n"
        b"m_Lena=2.00\n",
        "messy": b"; comment\r\n  [ system ]  \r\nLEDR = 12abc \r\n\r\n[ports]\r\nCOM3=/dev/ttyUSB0\r\n"
        b"[SYSTEM]\r\nLEDR=7\r\nno equals sign\r\n[unclosed\r\nx=y",
        "binary": bytes(range(256)),
    }
    names = [("SYSTEM", "LOGINDLGNAME"), ("system", "ledr"), ("a", "m_lena"), ("新节", "键")]
    values = ["李四", "  padded  ", "line\r\nbreak", "x" * 120, "单位" * 40, "-2147483648"]
    for fname, content in files.items():
        for i, (section, key) in enumerate(names):
            value = values[(i + len(fname)) % len(values)]
            front = b""
            tail = Tail().boolean(content is not None)
            if content is not None:
                front += string(content)
            front += string(section.encode()) + string(key.encode()) + string(value.encode())
            tail.boolean(i % 2 == 0)
            if i % 2:
                front += string(b"SYSTEM")
            front += string(b"OtherKey") + string("其它".encode())
            tail.integral(100 if i < 2 else 260, 0, 300)
            tail.integral(-7 * i, -(2**31), 2**31 - 1).integral(12, -(2**31), 2**31 - 1)
            write("profilefile", "%s-%d" % (fname, i), front + tail.bytes())


def conversions():
    cases = [
        (34626, 1, [(0, 1.0), (0, 2.0), (0, 1.0), (0, 2.0)], 100.0, b"+34626"),
        (12345, 2, [(0, 66.5), (0, 2.0), (0, 1.0), (0, 2.0)], -100.0, b"+12345"),
        (-13300, 2, [(1, 0), (0, 2.0), (0, 1.0), (0, 2.0)], 99.9999, b"  -13300"),
        (0, 2, [(1, 0), (1, 0), (1, 0), (1, 0)], float("nan"), b"A"),
        (123456, 3, [(0, 1.0), (0, 2.0), (1, 2), (1, 3)], float("inf"), b"123456xyz"),
        (-(2**63), 3, [(0, 1.0), (0, 2.0), (1, 1), (0, 1e-30)], 1e300, b"-9999999999999999999999"),
        (2**63 - 1, -5, [(1, 4), (1, 5), (1, 6), (1, 0)], -0.0, b"2.5dm"),
    ]
    for i, (r, mode, constants, value, text) in enumerate(cases):
        tail = Tail().integral(r, -(2**63), 2**63 - 1).integral(mode, -(2**31), 2**31 - 1)
        for special, f in constants:
            tail.boolean(bool(special))
            if special:
                tail.integral(f, 0, 6)
            else:
                tail.raw(struct.pack("<f", f))
        tail.raw(struct.pack("<d", value))
        write("conversions", "case-%d" % i, text + tail.bytes())


framescan()
profilefile()
conversions()
