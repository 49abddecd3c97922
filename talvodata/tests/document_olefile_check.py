"""Reads a practice document with olefile, a compound-file reader independent of ours.

usage: document_olefile_check.py FILE ROOT_CLSID CONTENTS_SIZE
Checks the root's class identifier, that "Contents" and "Summary" are the streams, its size and its version field (10).
Exits 1 with a message on the first difference.
"""
import struct
import sys

import olefile


def fail(message):
    print("document_olefile_check: " + message)
    sys.exit(1)


def main():
    path, root_clsid, size = sys.argv[1], sys.argv[2].strip("{}").upper(), int(sys.argv[3])
    # Anything olefile finds incorrect raises instead of being logged.
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    if ole.root.clsid != root_clsid:
        fail("root class identifier %r, expected %r" % (ole.root.clsid, root_clsid))
    entries = ole.listdir(streams=True, storages=True)
    if entries != [["Contents"], ["Summary"]]:
        fail("elements %r, expected the streams Contents and Summary" % entries)
    if ole.get_size("Contents") != size:
        fail("Contents has %d bytes, expected %d" % (ole.get_size("Contents"), size))
    contents = ole.openstream("Contents").read()
    (version,) = struct.unpack("<i", contents[:4])
    if version != 10:
        fail("Contents holds version %d, expected 10" % version)
    ole.close()
    print("document_olefile_check: %s holds Contents (%d bytes, version 10)" % (path, size))


if __name__ == "__main__":
    main()
