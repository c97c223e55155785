#!/usr/bin/python3
"""Judges a packed program against its original with Python's pefile.

    pecheck.py ORIGINAL PACKED [RES...]

Two .res files are compared by their resources alone. Prints one JSON object: the resources of both programs (and of each .res given,
read here by a reader of its own) as "type/name/language" -> SHA-256 of the data,
whether the packed program's checksum is right, and "same": "ok" when every byte
outside the resource section and the header fields a new resource section must
change is as in the original, else what differs.
"""
import hashlib
import json
import struct
import sys

import pefile


def key(entry):
    return str(entry.name) if entry.name is not None else str(entry.id)


def resources(pe):
    out = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return out
    data = pe.__data__
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for n in t.directory.entries:
            for lang in n.directory.entries:
                d = lang.data.struct
                at = pe.get_offset_from_rva(d.OffsetToData)
                blob = bytes(data[at:at + d.Size])
                out["%s/%s/%d" % (key(t), key(n), lang.id)] = hashlib.sha256(blob).hexdigest()
    return out


def res_key(data, at):
    if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
        return str(struct.unpack_from("<H", data, at + 2)[0]), at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def res_resources(path):
    data = open(path, "rb").read()
    out = {}
    at = 0
    while at + 8 <= len(data):
        size, header = struct.unpack_from("<II", data, at)
        typ, p = res_key(data, at + 8)
        name, p = res_key(data, p)
        p = (p + 3) & ~3
        lang = struct.unpack_from("<H", data, p + 6)[0]
        blob = data[at + header:at + header + size]
        if not (typ == "0" and size == 0):
            out["%s/%s/%d" % (typ, name, lang)] = hashlib.sha256(blob).hexdigest()
        at = (at + header + size + 3) & ~3
    return out


def sections_end(pe):
    end = pe.OPTIONAL_HEADER.SizeOfHeaders
    for s in pe.sections:
        if s.SizeOfRawData:
            end = max(end, s.PointerToRawData + s.SizeOfRawData)
    return end


def compare(a_pe, b_pe, a, b):
    """What differs outside what a new resource section may change, or "ok"."""
    rsrc_rva = a_pe.OPTIONAL_HEADER.DATA_DIRECTORY[2].VirtualAddress
    oh_a = a_pe.OPTIONAL_HEADER.get_file_offset()
    changeable = set()

    def allow(offset, size):
        changeable.update(range(offset, offset + size))

    allow(oh_a + 64, 4)  # CheckSum
    allow(oh_a + 56, 4)  # SizeOfImage
    allow(oh_a + 8, 4)  # SizeOfInitializedData
    dirs = a_pe.OPTIONAL_HEADER.DATA_DIRECTORY
    allow(dirs[2].get_file_offset(), 8)
    allow(dirs[4].get_file_offset(), 8)
    allow(a_pe.FILE_HEADER.get_file_offset() + 2, 2)  # NumberOfSections
    allow(a_pe.FILE_HEADER.get_file_offset() + 8, 4)  # PointerToSymbolTable
    table_end = a_pe.sections[-1].get_file_offset() + 40
    allow(table_end, 40)  # room for one more header
    for s in a_pe.sections:
        if s.Name.rstrip(b"\0") == b".rsrc":
            allow(s.get_file_offset(), 12)  # its name and virtual size
    for s in a_pe.sections:
        if s.VirtualAddress == rsrc_rva:
            allow(s.PointerToRawData, s.SizeOfRawData)
    headers = a_pe.OPTIONAL_HEADER.SizeOfHeaders
    for i in range(headers):
        if i not in changeable and a[i] != b[i]:
            return "header byte 0x%x" % i
    for sa in a_pe.sections:
        if sa.VirtualAddress == rsrc_rva:
            continue
        raw_a = a[sa.PointerToRawData:sa.PointerToRawData + sa.SizeOfRawData]
        raw_b = b[sa.PointerToRawData:sa.PointerToRawData + sa.SizeOfRawData]
        if raw_a != raw_b:
            return "section %r" % sa.Name.rstrip(b"\0")
    a_end, b_end = sections_end(a_pe), sections_end(b_pe)
    cert = dirs[4]
    overlay_a = a[a_end:]
    if cert.Size and cert.VirtualAddress >= a_end:
        cut = cert.VirtualAddress - a_end
        overlay_a = overlay_a[:cut] + overlay_a[cut + cert.Size:]
    if overlay_a != b[b_end:]:
        return "overlay (%d bytes before, %d after)" % (len(overlay_a), len(b) - b_end)
    sym_a = a_pe.FILE_HEADER.PointerToSymbolTable
    sym_b = b_pe.FILE_HEADER.PointerToSymbolTable
    if sym_a:
        if sym_b - b_end != sym_a - a_end:
            return "symbol table pointer"
    return "ok"


def main():
    a_bytes = open(sys.argv[1], "rb").read()
    b_bytes = open(sys.argv[2], "rb").read()
    result = {"res": {}}
    for path in sys.argv[3:]:
        result["res"].update(res_resources(path))
    if not a_bytes.startswith(b"MZ"):
        # Two .res files: their resources only.
        result["original"] = res_resources(sys.argv[1])
        result["packed"] = res_resources(sys.argv[2])
        print(json.dumps(result, sort_keys=True))
        return
    a_pe = pefile.PE(data=a_bytes)
    b_pe = pefile.PE(data=b_bytes)
    result["original"] = resources(a_pe)
    result["packed"] = resources(b_pe)
    result["checksum"] = b_pe.verify_checksum()
    result["same"] = compare(a_pe, b_pe, a_bytes, b_bytes)
    print(json.dumps(result, sort_keys=True))


main()
