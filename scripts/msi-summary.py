#!/usr/bin/env python3
"""Makes an installer package's summary information reproducible, in place.

    msi-summary.py PACKAGE EPOCH

wixl stamps each package with the time it ran (created, last saved) and a random package code.
This sets both times to EPOCH (seconds since 1970, the source's date) and the package code to
a GUID derived from the package's own bytes: the same sources give the same package, and a
package that differs in anything gets a package code of its own, as Windows Installer needs.
The values keep their sizes, so the compound file's layout is untouched.
"""
import hashlib
import struct
import sys
import uuid

SUMMARY = "\x05SummaryInformation"
PID_REVNUMBER, PID_LASTPRINTED, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 11, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64
ENDOFCHAIN = 0xFFFFFFFE
NAMESPACE = uuid.UUID("88808D64-06F9-4B81-9872-6F39206D4D43")


class CompoundFile:
    """Just enough of the compound file format to find one stream's bytes."""

    def __init__(self, data):
        self.data = data
        self.sector = 1 << struct.unpack_from("<H", data, 0x1E)[0]
        self.mini_sector = 1 << struct.unpack_from("<H", data, 0x20)[0]
        self.cutoff, first_mini_fat = struct.unpack_from("<II", data, 0x38)
        first_difat, difat_count = struct.unpack_from("<II", data, 0x44)
        fat_sectors = [s for s in struct.unpack_from("<109I", data, 0x4C) if s < 0xFFFFFFFA]
        next_difat = first_difat
        for _ in range(difat_count):
            entries = struct.unpack_from(f"<{self.sector // 4}I", data, self.offset(next_difat))
            fat_sectors += [s for s in entries[:-1] if s < 0xFFFFFFFA]
            next_difat = entries[-1]
        self.fat = []
        for s in fat_sectors:
            self.fat += struct.unpack_from(f"<{self.sector // 4}I", data, self.offset(s))
        self.directory = b"".join(data[o:o + self.sector]
                                  for o in self.chain_offsets(struct.unpack_from("<I", data, 0x30)[0]))
        mini_fat_bytes = b"".join(data[o:o + self.sector] for o in self.chain_offsets(first_mini_fat))
        self.mini_fat = struct.unpack(f"<{len(mini_fat_bytes) // 4}I", mini_fat_bytes)
        self.root_start = self.entry(0)[1]

    def offset(self, sector):
        return (sector + 1) * self.sector

    def chain_offsets(self, start):
        offsets, sector = [], start
        while sector < 0xFFFFFFFA:
            offsets.append(self.offset(sector))
            sector = self.fat[sector]
        return offsets

    def entry(self, index):
        raw = self.directory[index * 128:(index + 1) * 128]
        name_length = struct.unpack_from("<H", raw, 0x40)[0]
        name = raw[:max(name_length - 2, 0)].decode("utf-16-le")
        start, size = struct.unpack_from("<IQ", raw, 0x74)
        return name, start, size

    def stream_pieces(self, wanted):
        """(file offset, length) of each piece of the named stream, in order."""
        for index in range(len(self.directory) // 128):
            name, start, size = self.entry(index)
            if name != wanted:
                continue
            if size >= self.cutoff:
                return [(o, self.sector) for o in self.chain_offsets(start)], size
            mini_stream = self.chain_offsets(self.root_start)
            pieces, sector = [], start
            while sector != ENDOFCHAIN:
                position = sector * self.mini_sector
                pieces.append((mini_stream[position // self.sector] + position % self.sector,
                               self.mini_sector))
                sector = self.mini_fat[sector]
            return pieces, size
        raise SystemExit(f"msi-summary: no {wanted!r} stream")


def filetime(epoch):
    return struct.pack("<Q", (int(epoch) + 11644473600) * 10_000_000)


def main(path, epoch):
    data = bytearray(open(path, "rb").read())
    pieces, size = CompoundFile(bytes(data)).stream_pieces(SUMMARY)
    stream = bytearray(b"".join(bytes(data[o:o + n]) for o, n in pieces)[:size])
    section = struct.unpack_from("<I", stream, 44)[0]
    count = struct.unpack_from("<I", stream, section + 4)[0]
    revision = None
    for i in range(count):
        pid, at = struct.unpack_from("<II", stream, section + 8 + 8 * i)
        at += section
        kind = struct.unpack_from("<I", stream, at)[0]
        if pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM, PID_LASTPRINTED) and kind == VT_FILETIME:
            stream[at + 4:at + 12] = filetime(epoch)
        elif pid == PID_REVNUMBER and kind == VT_LPSTR:
            length = struct.unpack_from("<I", stream, at + 4)[0]
            revision = (at + 8, 38)  # "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
            assert length >= 38, "package code of an unexpected size"
            stream[at + 8:at + 46] = b"{" + b"0" * 36 + b"}"

    def write_back():
        position = 0
        for o, n in pieces:
            chunk = stream[position:position + n]
            data[o:o + len(chunk)] = chunk
            position += n

    write_back()
    if revision:
        code = uuid.uuid5(NAMESPACE, hashlib.sha256(data).hexdigest())
        stream[revision[0]:revision[0] + 38] = ("{%s}" % str(code).upper()).encode("ascii")
        write_back()
    open(path, "wb").write(data)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
