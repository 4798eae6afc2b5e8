#!/usr/bin/env python3
"""Captures the replies that bench/decode_bench.cpp replays and writes them
to bench/captured_replies.h. Run by `bench/run.sh capture`, inside the private
network namespace, with NSD serving bench/bench.test.zone on 127.0.0.1:53."""
import os
import socket
import struct
import sys

SERVER = ("127.0.0.1", 53)

# (name in the header, owner, type, class, by circuit)
QUERIES = [
    ("host_a_any", "host0001.bench.test", 1, 255, False),   # what the lookup benchmark asks
    ("mail_mx", "mail.bench.test", 15, 1, False),            # answers and additional addresses
    ("text_txt", "text.bench.test", 16, 1, False),
    ("many_a", "many.bench.test", 1, 1, False),              # 24 addresses
    ("large_a", "large.bench.test", 1, 1, True),             # 59 addresses, over 512 octets
]


def query(ident, owner, qtype, qclass):
    labels = b"".join(bytes([len(l)]) + l.encode() for l in owner.split("."))
    return struct.pack("!HHHHHH", ident, 0x0100, 1, 0, 0, 0) + labels + b"\0" + struct.pack("!HH", qtype, qclass)


def ask(q, circuit):
    if not circuit:
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            s.settimeout(2)
            s.sendto(q, SERVER)
            return s.recv(1024)
    with socket.create_connection(SERVER, timeout=2) as s:
        s.sendall(struct.pack("!H", len(q)) + q)
        data = b""
        while len(data) < 2 or len(data) < 2 + struct.unpack("!H", data[:2])[0]:
            piece = s.recv(4096)
            if not piece:
                break
            data += piece
        return data[2:]


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "captured_replies.h")
    lines = [
        "// Replies captured from NSD 4 serving bench/bench.test.zone, written by",
        "// bench/capture_replies.py: the decoding benchmark replays them.",
        "#pragma once",
        "",
        "#include <cstdint>",
        "#include <vector>",
        "",
        "struct CapturedReply {",
        "    const char* name;",
        "    std::vector<std::uint8_t> octets;",
        "};",
        "",
        "const CapturedReply CAPTURED_REPLIES[] = {",
    ]
    for i, (name, owner, qtype, qclass, circuit) in enumerate(QUERIES):
        reply = ask(query(0x4200 + i, owner, qtype, qclass), circuit)
        ancount = struct.unpack("!H", reply[6:8])[0]
        if len(reply) < 12 or reply[3] & 0x0F or ancount == 0 or reply[2] & 0x02:
            sys.exit("capture_replies.py: no whole answer for %s" % owner)
        lines.append("    // %s type %d class %d: %d octets, ANCOUNT %d%s" % (
            owner, qtype, qclass, len(reply), ancount, " (by circuit)" if circuit else ""))
        lines.append('    {"%s", {' % name)
        for at in range(0, len(reply), 16):
            lines.append("        " + " ".join("0x%02x," % b for b in reply[at:at + 16]))
        lines.append("    }},")
    lines.append("};")
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")
    print("wrote %s" % out)


if __name__ == "__main__":
    main()
