#!/usr/bin/env python3
"""Writes the decoder fuzzer's seed corpus (fuzz/corpus/): one valid reply
of every kind, in the input layout described in decoder_fuzzer.cpp."""
import os

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def h(text):
    return bytes(int(t, 16) for t in text.split())


def ring(frame_bytes):
    """Byte-ring ops carrying `frame_bytes` in pieces of at most 128."""
    out = bytearray()
    for at in range(0, len(frame_bytes), 128):
        piece = frame_bytes[at:at + 128]
        out.append(len(piece) - 1)
        out += piece
    return bytes(out)


def seed(settings, frames, keys=88, extra=b""):
    return bytes([settings, keys & 0xFF, (keys >> 8) & 0xFF]) + ring(frames) + extra


def peek(data, command=0x30):
    f = bytearray(h("F0 09") + bytes([command]))
    f += bytes([0, 0, 0, 0, 0])
    f += bytes([(len(data) >> (4 * i)) & 0xF for i in range(4)])
    for b in data:
        f += bytes([b & 0xF, b >> 4])
    f.append(0xF7)
    return bytes(f)


def event(kind_index, param1, text=b""):
    return bytes([0x80 | kind_index | (1 << 3)]) + param1.to_bytes(3, "little") + text.ljust(19, b"\0")


SEEDS = {
    "revision_and_text": seed(0x01, h("F0 09 1B F7 F0 09 11 41 42 F7")),
    "text_characters": seed(0x01, h("F0 09 10 48 F7 F0 09 10 49 F7 F0 09 10 0A F7")),
    "eight_bit_text": seed(0x11, h("F0 09 13 01 04 02 04 03 04 0D 00 0A 00 F7")),
    "parameters": seed(0x01, h("F0 09 43 0C 00 58 00 F7 F0 09 44 0C 00 58 00 F7 F0 09 43 06 00 05 00 F7 "
                               "F0 09 43 0D 00 24 00 4F 4B 00 F7 F0 09 43 1E 00 7F 03 F7")),
    "get_zone": seed(0x01, h("F0 09 5A 09 01 00 08 15 6C 15 00 0E 00 00 00 F7")),
    "set_split": seed(0x01, h("F0 09 5A 0A 03 10 20 30 F7")),
    "keymaps": seed(0x01, h("F0 09 5A 11 01 00 00") + bytes(range(40)) + h("F7")),
    "misc_lines": seed(0x01, h("F0 09 12 41 F7 F0 09 27 F7 F0 09 2A F7 F0 09 2F 00 00 02 00 F7 "
                               "F0 09 45 F7 F0 41 10 42 F7 F0 09 32 04 03 02 01 F7")),
    "scan_dump": seed(0x01, h("F0 09 15") + bytes(b for v in range(40) for b in (v >> 4, v & 0xF)) + h("F7")),
    "peek_plain": seed(0x01, peek(list(range(64)))),
    "peek_smart_88": seed(0x0F, peek([(i * 7) & 0xFF for i in range(512)])),
    "peek_smart_122": seed(0x0F, peek([(i * 5) & 0xFF for i in range(512)]), keys=122),
    "poke": seed(0x01, peek(list(range(30)), command=0x31)),
    "events": seed(0x21, b"", extra=event(4, 0x12) + event(2, 0x403C90) + event(3, 0, b"released")
                   + event(5, 0) + bytes([0xC0])),
    "midi_stream": bytes([0x41, 88, 0]) + h("90 3C 40 F0 09 27 F7 91 3D 41 F8 00 F0 09 1B F7 F0 09 11 41 "
                                            "90 3C 00 F2 01 02 F4"),
}


def main():
    os.makedirs(HERE, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
