#!/usr/bin/env python3
"""Fetches the npm package named in data/argon2/pin.json with `npm pack`
(from npm's cache when it has it), refuses a tarball whose hash is not the
pinned one, and unpacks only the reference C code and its licence.
    fetch-argon2.py <pin.json> <output directory>"""
import base64
import hashlib
import json
import os
import subprocess
import sys
import tarfile
import tempfile

WANTED = ("package/argon2/src/", "package/argon2/include/", "package/argon2/LICENSE")


def main():
    pin = json.load(open(sys.argv[1]))
    out = sys.argv[2]
    with tempfile.TemporaryDirectory() as d:
        subprocess.run(["npm", "pack", f"{pin['package']}@{pin['version']}", "--prefer-offline", "--silent",
                        "--pack-destination", d], check=True, stdout=subprocess.DEVNULL)
        tarball = os.path.join(d, f"{pin['package']}-{pin['version']}.tgz")
        data = open(tarball, "rb").read()
        integrity = "sha512-" + base64.b64encode(hashlib.sha512(data).digest()).decode()
        if integrity != pin["integrity"]:
            sys.exit(f"{tarball}: integrity {integrity}, pinned {pin['integrity']}")
        with tarfile.open(tarball) as tar:
            for member in tar.getmembers():
                if not member.isfile() or not member.name.startswith(WANTED) or ".." in member.name:
                    continue
                target = os.path.join(out, member.name[len("package/argon2/"):])
                os.makedirs(os.path.dirname(target), exist_ok=True)
                with open(target, "wb") as f:
                    f.write(tar.extractfile(member).read())


if __name__ == "__main__":
    main()
