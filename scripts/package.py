#!/usr/bin/env python3
"""Byte-exact pieces of the Windows download, used by package.sh.

  package.py stamp-chm FILE [EPOCH]
      Sets the two build times that chmcmd writes into a CHM to the time of
      EPOCH (default: $SOURCE_DATE_EPOCH, else 0), so that the same sources
      always give the same file.
  package.py zip OUT_DIR VERSION EPOCH VELT_EXE HELP_CHM README_TXT LICENSE LIST_LICENCES... ARGON2_LICENCE
      Writes OUT_DIR/velt-VERSION-win32.zip and its .sha256 beside it.
  package.py manifest EXE
      Prints the application manifest embedded in EXE (RT_MANIFEST, id 1).

Everything written depends only on the inputs: fixed entry order, times
and permissions, no host names, no build paths.
"""
import hashlib
import io
import os
import struct
import sys
import time
import zipfile

# The licences of the lists compiled into velt.exe, as the build copies them,
# then that of the Argon2 code.
LIST_LICENCES = ("LICENSE-zxcvbn.txt", "LICENSE-zxcvbn-ts-language-pl.txt")
ARGON2_LICENCE = "LICENSE-argon2.txt"
ZIP_ORDER = ("velt.exe", "help.chm", "README.txt", "LICENSE") + LIST_LICENCES + (ARGON2_LICENCE, "SHA256SUMS")


# ---------------------------------------------------------------- CHM
def _encint(data, pos):
    value = 0
    while True:
        b = data[pos]
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if not b & 0x80:
            return value, pos


def chm_directory(data):
    """Maps every name in the CHM's directory to (section, offset, length)."""
    if data[:4] != b"ITSF":
        raise ValueError("not a CHM file")
    header_len = struct.unpack_from("<I", data, 8)[0]
    dir_offset = struct.unpack_from("<Q", data, 0x48)[0]
    itsp = data[dir_offset:]
    if itsp[:4] != b"ITSP":
        raise ValueError("CHM directory header missing")
    itsp_len, _, chunk_size = struct.unpack_from("<III", itsp, 8)
    first, last = struct.unpack_from("<ii", itsp, 0x20)
    entries = {}
    chunk = first
    seen = set()
    while chunk != -1 and chunk not in seen:
        seen.add(chunk)
        base = dir_offset + itsp_len + chunk * chunk_size
        if data[base:base + 4] != b"PMGL":
            raise ValueError("CHM directory chunk damaged")
        free, _, _, next_chunk = struct.unpack_from("<IIii", data, base + 4)
        pos, end = base + 20, base + chunk_size - free
        while pos < end:
            n, pos = _encint(data, pos)
            name = data[pos:pos + n].decode("utf-8")
            pos += n
            section, pos = _encint(data, pos)
            offset, pos = _encint(data, pos)
            length, pos = _encint(data, pos)
            entries[name] = (section, offset, length)
        chunk = next_chunk if chunk != last else -1
    content0 = struct.unpack_from("<Q", data, 0x58)[0] if header_len >= 0x60 else None
    return entries, content0


def stamp_chm(path, epoch):
    """chmcmd stores the milliseconds since midnight of the build, in the file
    header (big-endian) and in the #SYSTEM entry of code 10 (little-endian)."""
    data = bytearray(open(path, "rb").read())
    stamp = (epoch % 86400) * 1000
    struct.pack_into(">I", data, 0x10, stamp)
    entries, content0 = chm_directory(data)
    section, offset, length = entries["/#SYSTEM"]
    if section != 0 or content0 is None:
        raise ValueError("#SYSTEM is not stored uncompressed")
    pos, end = content0 + offset + 4, content0 + offset + length
    stamped = False
    while pos + 4 <= end:
        code, size = struct.unpack_from("<HH", data, pos)
        if code == 10 and size == 4:
            struct.pack_into("<I", data, pos + 4, stamp)
            stamped = True
        pos += 4 + size
    if not stamped:
        raise ValueError("no time stamp found in #SYSTEM")
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- zip
def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


def zip_time(epoch):
    # DOS times start in 1980 and count in steps of 2 seconds.
    t = time.gmtime(max(epoch, 315532800))
    return (t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec - t.tm_sec % 2)


def package_files(version, exe, chm, readme, licence, third_party):
    files = {
        "velt.exe": open(exe, "rb").read(),
        "help.chm": open(chm, "rb").read(),
        "README.txt": crlf(open(readme, encoding="utf-8").read().replace("@VERSION@", version)).encode("utf-8"),
        "LICENSE": crlf(open(licence, encoding="utf-8").read()).encode("utf-8"),
    }
    for name, path in zip(LIST_LICENCES + (ARGON2_LICENCE,), third_party):
        files[name] = crlf(open(path, encoding="utf-8").read()).encode("utf-8")
    sums = "".join("%s  %s\n" % (hashlib.sha256(files[n]).hexdigest(), n) for n in ZIP_ORDER[:-1])
    files["SHA256SUMS"] = sums.encode("ascii")
    return files


def write_zip(out_dir, version, epoch, exe, chm, readme, licence, *third_party):
    files = package_files(version, exe, chm, readme, licence, third_party)
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as z:
        for name in ZIP_ORDER:
            info = zipfile.ZipInfo(name, zip_time(epoch))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o100644 << 16
            z.writestr(info, files[name], compresslevel=9)
    data = buf.getvalue()
    os.makedirs(out_dir, exist_ok=True)
    name = "velt-%s-win32.zip" % version
    path = os.path.join(out_dir, name)
    with open(path, "wb") as f:
        f.write(data)
    with open(path + ".sha256", "w") as f:
        f.write("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name))
    return path


# ---------------------------------------------------------------- PE resources
def pe_resource(data, type_id, name_id):
    """The bytes of one resource (first language) of a PE image, or None."""
    if data[:2] != b"MZ":
        raise ValueError("not a PE file")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    sections, opt_size = struct.unpack_from("<H12xH", data, pe + 6)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + (96 if magic == 0x10B else 112)
    rva, size = struct.unpack_from("<II", data, dirs + 2 * 8)
    if not size:
        return None
    table = []
    for i in range(sections):
        s = opt + opt_size + 40 * i
        vsize, vaddr, rsize, raw = struct.unpack_from("<IIII", data, s + 8)
        table.append((vaddr, max(vsize, rsize), raw))

    def at(r):
        for vaddr, span, raw in table:
            if vaddr <= r < vaddr + span:
                return raw + r - vaddr
        raise ValueError("resource outside every section")

    root = at(rva)

    def lookup(directory, wanted):
        named, ids = struct.unpack_from("<HH", data, root + directory + 12)
        for i in range(named + ids):
            ident, target = struct.unpack_from("<II", data, root + directory + 16 + 8 * i)
            if wanted is None or (not ident & 0x80000000 and ident == wanted):
                return target
        return None

    level = lookup(0, type_id)
    if level is None or not level & 0x80000000:
        return None
    level = lookup(level & 0x7FFFFFFF, name_id)
    if level is None or not level & 0x80000000:
        return None
    leaf = lookup(level & 0x7FFFFFFF, None)
    if leaf is None or leaf & 0x80000000:
        return None
    data_rva, data_size = struct.unpack_from("<II", data, root + leaf)
    start = at(data_rva)
    return data[start:start + data_size]


def main(argv):
    if len(argv) in (2, 3) and argv[0] == "stamp-chm":
        epoch = argv[2] if len(argv) == 3 else os.environ.get("SOURCE_DATE_EPOCH", "0")
        stamp_chm(argv[1], int(epoch))
    elif len(argv) == 9 + len(LIST_LICENCES) and argv[0] == "zip":
        print(write_zip(argv[1], argv[2], int(argv[3]), *argv[4:]))
    elif len(argv) == 2 and argv[0] == "manifest":
        found = pe_resource(open(argv[1], "rb").read(), 24, 1)
        if found is None:
            print("no application manifest in " + argv[1], file=sys.stderr)
            return 1
        sys.stdout.write(found.decode("utf-8"))
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
