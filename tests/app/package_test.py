#!/usr/bin/env python3
"""Checks the Windows download made by scripts/package.sh.

  package_test.py ZIP SOURCE_DIR BUILD_DIR

Reads the zip with its own reader, then checks each file's content. Prints
one line per check and ends with a nonzero code when any fails.
"""
import hashlib
import os
import re
import struct
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import package  # noqa: E402

zip_path, source_dir, build_dir = sys.argv[1:4]
z = zipfile.ZipFile(zip_path)
infos = z.infolist()
files = {i.filename: z.read(i) for i in infos}
exe = files.get("velt.exe", b"")
chm = files.get("help.chm", b"")
readme = files.get("README.txt", b"")
version = re.search(r"velt-([0-9.]+)-win32\.zip$", zip_path).group(1)

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


def entries():
    names = [i.filename for i in infos]
    if names != list(package.ZIP_ORDER):
        return "entries are %s" % names
    times = {i.date_time for i in infos}
    if times != {package.zip_time(int(os.environ["SOURCE_DATE_EPOCH"]))}:
        return "entry times %s are not the commit's" % sorted(times)
    for i in infos:
        if i.external_attr >> 16 != 0o100644 or i.compress_type != zipfile.ZIP_DEFLATED:
            return "%s: mode %o, compression %d" % (i.filename, i.external_attr >> 16, i.compress_type)
    return None


def checksums():
    lines = files["SHA256SUMS"].decode("ascii").splitlines()
    listed = {}
    for line in lines:
        digest, name = line.split("  ", 1)
        listed[name] = digest
    if sorted(listed) != sorted(package.ZIP_ORDER[:-1]):
        return "SHA256SUMS lists %s" % sorted(listed)
    for name, digest in listed.items():
        if hashlib.sha256(files[name]).hexdigest() != digest:
            return "checksum of %s does not match" % name
    return None


def readme_text():
    if b"\n" in readme.replace(b"\r\n", b""):
        return "README.txt has a line end other than CR LF"
    text = readme.decode("utf-8")
    wanted = ["Velt " + version, "velt.exe", "baza.pdb", "Program Files", "English", "Polish",
              "IMDF", "CRC-32", "Strong encryption", "AES-256-GCM", "Argon2id", "HistoryKeep", "CSV", "HTML",
              "Reporting a problem", "https://velt.example.org/",
              "velt.ini", "baza.pdb.1.bak", "File > Lock", "File > Import", "damaged", "Moving to another PC",
              "Auto-type", "Ctrl+T", "Copy login", "Password health", "Screen readers", "[AutoType]", "Confirm=1",
              "English only"]
    missing = [w for w in wanted if w not in text]
    return "README.txt lacks %s" % missing if missing else None


def licence():
    ours = open(os.path.join(source_dir, "LICENSE"), encoding="utf-8").read()
    shipped = files["LICENSE"].decode("utf-8")
    if shipped != package.crlf(ours):
        return "LICENSE differs from the repository's"
    if "MIT License" not in shipped or "Velt developers" not in shipped:
        return "LICENSE is not the MIT licence of the Velt developers"
    for name in package.LIST_LICENCES:
        text = files[name].decode("utf-8")
        if "Dan Wheeler and Dropbox" not in text or "Permission is hereby granted" not in text:
            return "%s is not the lists' MIT licence" % name
    text = files[package.ARGON2_LICENCE].decode("utf-8")
    if "Argon2 reference source code" not in text or "CC0 1.0" not in text or "Apache" not in text:
        return "%s is not the Argon2 code's licence" % package.ARGON2_LICENCE
    return None


def program_is_the_build():
    with open(os.path.join(build_dir, "velt.exe"), "rb") as f:
        return None if f.read() == exe else "velt.exe is not the one built"


def pe_time_stamp():
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    stamp = struct.unpack_from("<I", exe, pe + 8)[0]
    return "the PE header has time stamp %#x" % stamp if stamp else None


def no_build_paths():
    for name in ("velt.exe", "help.chm"):
        for d in {os.path.realpath(source_dir), os.path.realpath(build_dir)}:
            for form in (d.encode(), d.encode("utf-16-le")):
                if form in files[name]:
                    return "%s holds the path %s" % (name, d)
    return None


def manifest():
    found = package.pe_resource(exe, 24, 1)
    if found is None:
        return "velt.exe has no RT_MANIFEST resource 1"
    text = found.decode("utf-8")
    root = ET.fromstring(text)
    ns = {"v3": "urn:schemas-microsoft-com:asm.v3", "c": "urn:schemas-microsoft-com:compatibility.v1"}
    levels = [e.get("level") for e in root.iter("{%s}requestedExecutionLevel" % ns["v3"])]
    if levels != ["asInvoker"]:
        return "execution levels %s" % levels
    ids = {e.get("Id") for e in root.iter("{%s}supportedOS" % ns["c"])}
    if ids != SUPPORTED_OS:
        return "supportedOS %s" % sorted(ids)
    if "Common-Controls" in text:
        return "the manifest mentions Common-Controls"
    settings = {e.tag.split("}")[1]: (e.text or "").strip()
                for e in root.iter() if e.tag.endswith(("}dpiAware", "}dpiAwareness"))}
    if settings != {"dpiAware": "true/pm", "dpiAwareness": "PerMonitorV2, PerMonitor"}:
        return "DPI awareness %s" % settings
    return None


def help_file():
    entries_, _ = package.chm_directory(chm)
    if "/index.html" not in entries_:
        return "help.chm has no index.html"
    if any(n.startswith("/$WWKeywordLinks/") for n in entries_):
        return "help.chm carries a binary index (chmcmd fills it with stray bytes)"
    # Stamping again with the commit's time must change nothing.
    with tempfile.TemporaryDirectory() as d:
        copy = os.path.join(d, "help.chm")
        with open(copy, "wb") as f:
            f.write(chm)
        package.stamp_chm(copy, int(os.environ["SOURCE_DATE_EPOCH"]))
        with open(copy, "rb") as f:
            if f.read() != chm:
                return "help.chm is not stamped with the commit's time"
    return None


CHECKS = [entries, checksums, readme_text, licence, program_is_the_build, pe_time_stamp,
          no_build_paths, manifest, help_file]

failed = 0
for check in CHECKS:
    try:
        problem = check()
    except Exception as e:  # a damaged file must fail its check, not the run
        problem = "%s: %s" % (type(e).__name__, e)
    print("%-22s %s" % (check.__name__, "ok" if problem is None else "FAIL: " + problem))
    failed += problem is not None
sys.exit(1 if failed else 0)
