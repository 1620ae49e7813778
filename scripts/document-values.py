#!/usr/bin/env python3
"""Prints "sha256  file" of what each document file given holds: its JSON with every data block
replaced by its type and the digest of its values, wherever the block lies (inline base64, or at
an offset of the side file). Two documents that hold the same values in the same objects give the
same digest, however their blocks are laid out or shared.

usage: scripts/document-values.py DOCUMENT.json...
"""
import base64
import hashlib
import json
import os
import sys


def block_values(block, side):
    size = block["count"] * 4
    if "base64" in block:
        data = base64.b64decode(block["base64"])
    else:
        side.seek(block["offset"])
        data = side.read(size)
    if len(data) != size:
        sys.exit("block of %d values does not fit its file" % block["count"])
    return {"type": block["type"], "values": hashlib.sha256(data).hexdigest()}


def resolved(document, side):
    for obj in document["objects"]:
        for part in ("vertices", "faces"):
            for key, value in (obj or {}).get(part, {}).items():
                if isinstance(value, dict):
                    obj[part][key] = block_values(value, side)
    document.pop("binary", None)
    return document


def main():
    for path in sys.argv[1:]:
        with open(path, "rb") as f:
            document = json.load(f)
        if document.get("format") != "tovalinder-document":
            continue
        side = None
        if "binary" in document:
            side = open(os.path.join(os.path.dirname(path), document["binary"]["file"]), "rb")
        text = json.dumps(resolved(document, side), sort_keys=True).encode()
        print("%s  %s" % (hashlib.sha256(text).hexdigest(), path))
        if side:
            side.close()


if __name__ == "__main__":
    main()
