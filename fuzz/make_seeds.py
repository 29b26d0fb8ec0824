#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/ (run from anywhere)."""

import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent
CORPUS = HERE / "corpus"
PROFILES = HERE.parent / "tests" / "data" / "profiles"


def put(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


# Frame assembler: blocks, each a length byte and that many bytes.
def frame(header, data):
    checksum = header
    for b in data:
        checksum ^= b
    return bytes([0x02, header]) + bytes(data) + bytes([checksum])


def blocks(*parts):
    out = b""
    for p in parts:
        out += bytes([len(p)]) + p
    return out


def frame_seeds():
    reply = frame(0x12, [0x00, 0x41])
    own = frame(0xA3, [0x41, 0x05, 0x00])
    full = frame(0x0F, list(range(15)))
    put("frame_assembler", "one_reply", blocks(reply))
    put("frame_assembler", "split_reply", blocks(reply[:2], reply[2:3], reply[3:]))
    put("frame_assembler", "two_in_one_block", blocks(reply + own))
    put("frame_assembler", "fifteen_bytes", blocks(full))
    put("frame_assembler", "bad_checksum_then_good", blocks(reply[:-1] + b"\x00" + own))
    put("frame_assembler", "garbage_then_reply", blocks(b"\xff\x00Reset\r\n", reply))
    put("frame_assembler", "length_zero", blocks(bytes([0x02, 0x10, 0x10]) + reply))


# Profiles: a complete one as the tool writes it, in UTF-16 and UTF-8, and damaged ones.
def profile_text(encoding):
    lines = [f'<?xml version="1.0" encoding="{encoding}"?>', "<!--VEXA-LIN CT profile.-->",
             '<VXLIN_PROFILE Version="1">', '  <RS-232 Group="0">', "    <Baudrate>38400</Baudrate>",
             "  </RS-232>", '  <CAN Group="1">']
    for name, value in [("Active", 1), ("Baudrate", 28), ("Forward_Mask", 0), ("Filter_Mask", 4294967295),
                        ("Filter_Code", 0), ("ID_Offset", 0), ("Error_ID", 0)]:
        lines.append(f"    <{name}>{value}</{name}>")
    lines += ["  </CAN>", '  <LIN Group="2">']
    for name, value in [("Active", 1), ("Baudrate", 19200), ("Forward_Mask", 1), ("Filter_Mask", 0),
                        ("Filter_Code", 0), ("Master_Status", 0), ("Bus_Termination", 1), ("Retries", 3)]:
        lines.append(f"    <{name}>{value}</{name}>")
    lines += ['    <Scheduler_Entries Count="2">', '      <Entry Time="10">5</Entry>',
              '      <Entry Time="20">6</Entry>', "    </Scheduler_Entries>", "    <SlaveId_Data>",
              "      <ID>60</ID>", "      <Active>0</Active>", "      <Length>2</Length>", "      <Data>",
              '        <Byte Index="0">1</Byte>', '        <Byte Index="1">2</Byte>', "      </Data>",
              "    </SlaveId_Data>", "    <Bit_Recognition_Status>0</Bit_Recognition_Status>",
              "    <Slave_Activation_ID>0</Slave_Activation_ID>", "    <Frame_Configuration>"]
    for k in range(64):
        length = 2 if k < 32 else (4 if k < 48 else 8)
        lines += ["      <Frame>", f"        <ID>{k}</ID>", "        <Active>0</Active>",
                  f"        <Length>{length}</Length>", "        <Format>0</Format>", "        <Data>"]
        lines += [f'          <Byte Index="{i}">0</Byte>' for i in range(length)]
        lines += ["        </Data>", "      </Frame>"]
    lines += ["    </Frame_Configuration>", "  </LIN>", "</VXLIN_PROFILE>", ""]
    return "\n".join(lines)


def profile_seeds():
    utf16 = b"\xff\xfe" + profile_text("UTF-16").encode("utf-16-le")
    utf8 = profile_text("UTF-8").encode()
    put("profile_document", "complete_utf16.vxlin", utf16)
    put("profile_document", "complete_utf8.vxlin", utf8)
    put("profile_document", "truncated_utf16.vxlin", utf16[: len(utf16) // 2])
    put("profile_document", "truncated_utf8.vxlin", utf8[:1500])
    nested = "<Extra>" * 40 + "kept" + "</Extra>" * 40
    put("profile_document", "unknown_nested.vxlin",
        utf8.replace(b"<LIN Group", nested.encode() + b"\n  <LIN Group"))
    put("profile_document", "few_frames.vxlin",
        profile_text("UTF-8").split("      <Frame>\n        <ID>3</ID>")[0].encode()
        + b"    </Frame_Configuration>\n  </LIN>\n</VXLIN_PROFILE>\n")
    for source in sorted(PROFILES.iterdir()):
        shutil.copy(source, CORPUS / "profile_document" / source.name)


# Legacy profiles, scrambled as the old tool wrote them.
def scramble(c):
    return (c - 70) & 0xFF


def legacy(version, scheduler, rs232, can, lin, slave, bit_recognition, frame_tables, slave_activation, wide,
           count):
    image = bytearray()
    for i, c in enumerate(b"TVQ-CON"):
        image.append(c if i in (3, 4) else scramble(c))
    image += bytes(scramble(c) for c in version)
    image += bytes(scheduler + 4 * count - len(image))

    def field(offset, value, size):
        image[offset:offset + size] = value.to_bytes(size, "little")

    field(rs232, 57600, 4 if wide else 2)
    field(can + 2, 0x011C, 2)
    field(can + 8, 0x1FFFFFFF, 4)
    field(lin, 1, 2)
    field(lin + 2, 10417, 2)
    field(lin + 24, count, 2)
    field(lin + slave, 1, 1)
    field(lin + slave + 1, 0x21, 1)
    field(lin + slave + 2, 4, 1)
    field(lin + bit_recognition, 1, 1)
    if frame_tables >= 0:
        for i in range(32):
            field(lin + frame_tables + i, 0x33, 1)
    if slave_activation >= 0:
        field(lin + slave_activation, 0xC0000042, 4)
    for i in range(count):
        field(scheduler + 4 * i, 100 + i, 2)
        field(scheduler + 4 * i + 2, i, 1)
    return bytes(image)


def converter_seeds():
    put("profile_converter", "short.lin", legacy(b"abc", 106, 10, 18, 46, 40, 56, -1, -1, False, 3))
    put("profile_converter", "long.lin", legacy(b"abc", 146, 10, 18, 46, 40, 56, 57, -1, False, 2))
    put("profile_converter", "version10.lin", legacy(b"V10", 1088, 10, 20, 60, 89, 40, 49, 104, True, 5))
    put("profile_converter", "version9.lin", legacy(b"V09", 1088, 10, 20, 60, 89, 40, 49, 104, True, 0))
    put("profile_converter", "not_scrambled.lin", b"TVQ-CON V10 not scrambled")


# Trace messages: start, header, code, checksum, 15 data bytes, count (little-endian int32).
def message(header, data, count):
    return bytes([0x02, header, 0, 0]) + bytes(data + [0] * (15 - len(data))) + struct.pack("<i", count)


def trace_seeds():
    put("display_entry", "can_standard", message(0x96, [0x03, 0x23, 0x01, 1, 2, 3], 6))
    put("display_entry", "can_extended_remote", message(0x96, [0xC4, 1, 2, 3, 4], 5))
    put("display_entry", "can_event", message(0x95, [0x20, 0x3F, 0x12, 5, 6], 5))
    put("display_entry", "lin_message", message(0xA4, [0x05, 1, 2, 3], 4))
    put("display_entry", "lin_error", message(0xA3, [0x41, 0x05, 0x00], 3))
    put("display_entry", "module_status", message(0xB2, [0x01, 0x02], 2)
        + message(0xA1, [0x7F], -1))


# Console: a frame-length byte for the module copy, then (action, value) pairs with texts.
def console_seeds():
    put("console_rules", "can_init_write", bytes([0x22, 0, 1, 1, 1, 2, 1, 6, 0, 2]) + b"8F")
    put("console_rules", "lin_init_write", bytes([0x44, 0, 2, 1, 1, 2, 1, 6, 0, 2]) + b"25"
        + bytes([7, 0]))
    put("console_rules", "lin_set_frames", bytes([0x33, 0, 2, 1, 2, 2, 5, 6, 0, 1]) + b"4"
        + bytes([6, 1, 2]) + b"3F")
    put("console_rules", "count_typed", bytes([0x11, 5, 0, 3]) + b"-12" + bytes([4, 20, 3, 0x80]))


if __name__ == "__main__":
    if CORPUS.exists():
        shutil.rmtree(CORPUS)
    frame_seeds()
    profile_seeds()
    converter_seeds()
    trace_seeds()
    console_seeds()
