#!/usr/bin/env python3
"""Checks that every uuid(...) of an IDL file is stored whole in the type library widl
made from it, and mends the one known widl fault: a GUID written with a wrong last
byte (seen on the library identifier once a dispinterface is in the library).
Usage: repair-tlb-guids.py file.idl file.tlb  (exit 1 when a GUID cannot be found)"""
import re
import sys
import uuid


def main(idl_path, tlb_path):
    idl = open(idl_path, encoding="utf-8").read()
    data = bytearray(open(tlb_path, "rb").read())
    changed = False
    for text in re.findall(r"uuid\(([0-9A-Fa-f-]{36})\)", idl):
        wanted = uuid.UUID(text).bytes_le
        if data.find(wanted) >= 0:
            continue
        prefix = wanted[:15]
        at = data.find(prefix)
        if at < 0 or data.find(prefix, at + 1) >= 0:
            print(f"{tlb_path}: GUID {text} is missing", file=sys.stderr)
            return 1
        data[at + 15] = wanted[15]
        changed = True
    if changed:
        open(tlb_path, "wb").write(bytes(data))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
