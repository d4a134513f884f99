#!/usr/bin/env python3
"""An implementation of the strong vault format written from its description
alone, with Python's `cryptography` package, checked against Velt both ways:
Velt writes, this reads; this writes, Velt reads. Then the known answer, and
a changed byte and a cut file through Velt.
    strong_vault_check.py <strong_vault_tool.exe>   (runs it under wine)"""
import hashlib
import hmac
import os
import secrets
import struct
import subprocess
import sys
import tempfile

from cryptography.exceptions import InvalidTag
from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.ciphers.aead import AESGCM
from cryptography.hazmat.primitives.kdf.pbkdf2 import PBKDF2HMAC


def derive(password, salt, iterations):
    kdf = PBKDF2HMAC(algorithm=hashes.SHA256(), length=32, salt=salt, iterations=iterations)
    return kdf.derive(password)


def mac(key, label):
    return hmac.new(key, label, hashlib.sha256).digest()


def write_vault(entries, password, iterations=600000, salt=None, nonce=None, version=2):
    salt = salt if salt is not None else secrets.token_bytes(16)
    nonce = nonce if nonce is not None else secrets.token_bytes(12)
    k = derive(password, salt, iterations)
    header = b"VLT2" + struct.pack("<HHI", version, 1, iterations) + salt + nonce
    if version == 2:
        header += mac(k, b"Velt key check")[:16]
        k = mac(k, b"Velt vault key")
    plain = struct.pack("<I", len(entries))
    for entry in entries:
        for field in entry:
            plain += bytes([len(field)]) + field
    return header + AESGCM(k).encrypt(nonce, plain, header)


class WrongPassword(Exception):
    pass


def read_vault(data, password):
    if len(data) < 76 or data[:4] != b"VLT2":
        raise ValueError("not a strong vault of version 2")
    version, kdf, iterations = struct.unpack("<HHI", data[4:12])
    if version != 2 or kdf != 1 or not 100000 <= iterations <= 10000000:
        raise ValueError("unknown header")
    k = derive(password, data[12:28], iterations)
    if not hmac.compare_digest(mac(k, b"Velt key check")[:16], data[40:56]):
        raise WrongPassword()
    plain = AESGCM(mac(k, b"Velt vault key")).decrypt(data[28:40], data[56:], data[:56])
    (count,) = struct.unpack("<I", plain[:4])
    at, entries = 4, []
    for _ in range(count):
        entry = []
        for _ in range(5):
            n = plain[at]
            entry.append(plain[at + 1:at + 1 + n])
            at += 1 + n
        entries.append(entry)
    if at != len(plain):
        raise ValueError("bytes after the last record")
    return entries, iterations


def hexes(b):
    return b.hex() if b else "-"


def velt(tool, *args):
    wine_args = [subprocess.run(["winepath", "-w", a], capture_output=True, text=True).stdout.strip()
                 if os.path.sep in a else a for a in args]
    out = subprocess.run(["wine", tool] + wine_args, capture_output=True, check=True)
    return out.stdout.decode("latin-1").replace("\r\n", "\n")


def velt_read(tool, path, password):
    lines = velt(tool, "read", path, password.hex()).splitlines()
    rows = [[b"" if h == "-" else bytes.fromhex(h) for h in line.split(" ")] for line in lines[1:]]
    return lines[0], rows


def table(rng_seed):
    rng = __import__("random").Random(rng_seed)
    rows = [[bytes(rng.randrange(256) for _ in range(rng.choice([0, 1, 17, 255]))) for _ in range(5)]
            for _ in range(40)]
    rows.append([b"", b"", b"", b"", b""])
    rows.append([bytes((0x80 + i) % 256 for i in range(255)), b"https://bank.example", b"jan", b"Has\xb3o#1", b"opis"])
    return rows


def main():
    tool = sys.argv[1]
    failures = []
    password = b"Has\xb3o g\xb3\xf3wne"  # 8-bit bytes, as Velt holds them (cp1250)
    with tempfile.TemporaryDirectory() as d:
        vault = os.path.join(d, "baza.pdb")

        # Velt writes; this reads.
        rows = table(1)
        with open(os.path.join(d, "table.txt"), "w") as f:
            f.writelines(" ".join(hexes(c) for c in row) + "\n" for row in rows)
        velt(tool, "write", vault, password.hex(), os.path.join(d, "table.txt"))
        data = open(vault, "rb").read()
        got, iterations = read_vault(data, password)
        if got != rows:
            failures.append("Velt's vault reads back differently here")
        if iterations != 600000:
            failures.append(f"Velt wrote {iterations} iterations")
        try:
            read_vault(data, password + b"x")
            failures.append("a wrong password opened Velt's vault")
        except WrongPassword:
            pass
        try:
            read_vault(data[:-1] + bytes([data[-1] ^ 1]), password)
            failures.append("a changed tag opened Velt's vault")
        except InvalidTag:
            pass

        # This writes; Velt reads.
        for name, entries, version in (("a table", table(2), 2), ("no entries", [], 2),
                                       ("version 1", table(3), 1)):
            open(vault, "wb").write(write_vault(entries, password, iterations=100000, version=version))
            kind, got = velt_read(tool, vault, password)
            if (kind, got) != ("strong", entries):
                failures.append(f"{name}: Velt read {kind} with {len(got)} entries, wrote {len(entries)}")

        # The known answer, and what Velt makes of damage.
        known = write_vault([[b"Bank \xa3\xf3\x64\x9f", b"https://bank.example", b"jan", b"Has\xb3o#1", b"opis"],
                             [b"Mail", b"", b"", b"pw", b""]], b"correct horse", 100000,
                            bytes(range(16)), bytes(range(0xa0, 0xac)))
        expected = bytes.fromhex(
            "564c543202000100a0860100000102030405060708090a0b0c0d0e0fa0a1a2a3a4a5a6a7a8a9aaabc7c290a1fd75af7b"
            "7a09ea6a160e7170de9ca22e361c1c59e0b9878977d6b084649c14a58bf2438b0239409a2620f6fe7eb6f1872e5525c0"
            "2247b7f15993114911fb48827add236840877999929820600c0e63c55d540f5882a8b6fbc78b9b")
        if known != expected:
            failures.append("this implementation misses the known answer")
        for name, data, given, outcome in (
                ("known answer", expected, b"correct horse", "strong"),
                ("a changed byte", expected[:80] + b"\x00" + expected[81:], b"correct horse", "tampered"),
                ("a changed byte, wrong password", expected[:80] + b"\x00" + expected[81:], b"x", "incorrect"),
                ("cut to 75 bytes", expected[:75], b"correct horse", "tampered"),
                ("cut to 55 bytes", expected[:55], b"correct horse", "damaged")):
            open(vault, "wb").write(data)
            kind, _ = velt_read(tool, vault, given)
            if kind != outcome:
                failures.append(f"{name}: Velt says {kind}, expected {outcome}")
    for f in failures:
        print(f)
    print("strong vault, independent check:", "FAILED" if failures else "read and written both ways")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
