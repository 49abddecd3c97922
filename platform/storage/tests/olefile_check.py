"""Reads a compound file with olefile, a reader independent of ours, and checks what it holds.

usage: olefile_check.py FILE ROOT_CLSID STREAM... where each STREAM is "path/in/file:size:seed" and its content
is the tests' pattern (see StorageHelpers.cpp). Exits 1 with a message on the first difference.
"""
import sys

import olefile


def pattern(size, seed):
    return bytes((j * 31 + seed * 7 + (j >> 8)) & 0xFF for j in range(size))


def fail(message):
    print("olefile_check: " + message)
    sys.exit(1)


def main():
    path, root_clsid = sys.argv[1], sys.argv[2].strip("{}").upper()
    expected = {}
    for spec in sys.argv[3:]:
        name, size, seed = spec.rsplit(":", 2)
        expected[name] = (int(size), int(seed))
    # Anything olefile finds incorrect raises instead of being logged.
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    if ole.root.clsid != root_clsid:
        fail("root class identifier %r, expected %r" % (ole.root.clsid, root_clsid))
    found = sorted("/".join(parts) for parts in ole.listdir(streams=True, storages=False))
    if found != sorted(expected):
        fail("streams %r, expected %r" % (found, sorted(expected)))
    for name, (size, seed) in expected.items():
        if ole.get_size(name) != size:
            fail("%s has %d bytes, expected %d" % (name, ole.get_size(name), size))
        if ole.openstream(name).read() != pattern(size, seed):
            fail("%s differs" % name)
    ole.close()
    print("olefile_check: %s holds the %d expected streams" % (path, len(expected)))


if __name__ == "__main__":
    main()
