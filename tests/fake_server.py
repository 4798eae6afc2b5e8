#!/usr/bin/env python3
"""A scriptable fake DNS server for the broken and hostile cases a real one will not play.

    fake_server.py SCRIPT LOG

Listens by UDP and TCP on every address the script names, prints "ready" on
standard output once bound, and runs until it is terminated. Every query it
receives is written to LOG as one line, in the order they arrive:

    ADDRESS:PORT PROTO LENGTH octets rd=R name=NAME type=T class=C

and "ADDRESS:PORT tcp reset" when a client closes a TCP connection with part
of the reply unread (a client that reads the whole reply leaves no such line),
"ADDRESS:PORT tcp closed early" when it closes before the last piece of a
split reply was sent.

The script holds one rule per line ('#' starts a comment):

    ADDRESS[:PORT] udp|tcp ACTION [then ACTION]...

Each rule answers the next query that arrives on that address, port (53 by
default) and protocol; rules for the same place are used in the order written,
and a query with no rule left is met with silence. ACTION is one of

    silent              no reply (TCP: the connection is held open until the client closes it)
    full                TCP, the only rule of its place: no connection is taken, and the
                        queue of the listening socket is kept full, so a connect waits
    flood               UDP: datagrams with another ID every 50 ms, until the server stops
    reply [OPTION]...   a reply built from the query (ID, RD and question copied, QR set)

and the options of a reply are

    an=N          N answer records of type A (192.0.2.1, 192.0.2.2, ...)
    rcode=N       RCODE N
    tc            the TC bit set
    wrongid       another ID than the query's (wrongid=first or =second: only that octet differs)
    size=N        zero octets appended up to N octets in all
    raw=HEX       these octets instead of the built reply, the query's ID over their first two
    cut=N         only the first N octets of the reply
    pause=MS      wait MS milliseconds before sending
    port=N        UDP: sent from another socket bound to port N of the same address
    from=ADDRESS  UDP: sent from another address (port 53, or port=N)
    announce=N    TCP: the length prefix says N instead of the reply's length
    split=A,B,..  TCP: the framed octets are sent in pieces cut at these offsets,
                  with pause=MS (default 100) between the pieces
    close         TCP: the connection is closed at once after sending
    reset         TCP: the connection is reset at once after sending

Several actions joined by "then" answer one UDP query with several datagrams.
"""
import os
import select
import signal
import socket
import struct
import sys
import threading
import time

lock = threading.Lock()
rules = {}          # (address, port, proto) -> list of action lists
log_file = None
stopping = threading.Event()


def parse_script(path):
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if not line:
                continue
            where, proto, words = line[0], line[1], line[2:]
            address, _, port = where.partition(":")
            key = (address, int(port or 53), proto)
            actions, current = [], []
            for w in words:
                if w == "then":
                    actions.append(current)
                    current = []
                else:
                    current.append(w)
            actions.append(current)
            rules.setdefault(key, []).append(actions)
            rules.setdefault((address, int(port or 53), "udp" if proto == "tcp" else "tcp"), [])


def next_actions(key):
    with lock:
        queue = rules.get(key, [])
        return queue.pop(0) if queue else [["silent"]]


def question_of(query):
    """The name, type and class of the first question, as text for the log."""
    labels, i = [], 12
    try:
        while query[i] != 0:
            n = query[i]
            labels.append(query[i + 1:i + 1 + n].decode("latin-1"))
            i += 1 + n
        qtype, qclass = struct.unpack("!HH", query[i + 1:i + 5])
        return "name=%s type=%d class=%d" % (".".join(labels), qtype, qclass), i + 5
    except (IndexError, struct.error):
        return "name=? type=? class=?", len(query)


def record(key, query):
    rd = query[2] & 1 if len(query) > 2 else "?"
    text, _ = question_of(query)
    with lock:
        log_file.write("%s:%d %s %d octets rd=%s %s\n" % (key[0], key[1], key[2], len(query), rd, text))
        log_file.flush()


def note(key, text):
    with lock:
        log_file.write("%s:%d %s %s\n" % (key[0], key[1], key[2], text))
        log_file.flush()


def options(action):
    opts = {}
    for w in action[1:]:
        k, _, v = w.partition("=")
        opts[k] = v
    return opts


def build_reply(query, opts):
    if "raw" in opts:
        raw = bytes.fromhex(opts["raw"])
        return query[0:2] + raw[2:] if len(raw) >= 2 else raw
    _, end = question_of(query)
    an = int(opts.get("an", 0))
    flags = 0x8000 | (query[2] & 1) << 8
    if "tc" in opts:
        flags |= 0x0200
    flags |= int(opts.get("rcode", 0)) & 0xF
    qid = query[0:2]
    if "wrongid" in opts:
        which = opts["wrongid"]
        qid = bytes([query[0] ^ (0 if which == "second" else 0x5A), query[1] ^ (0 if which == "first" else 0xA5)])
    msg = qid + struct.pack("!HHHHH", flags, 1, an, 0, 0) + query[12:end]
    for i in range(an):
        msg += struct.pack("!HHHIH", 0xC00C, 1, 1, 3600, 4) + bytes([192, 0, 2, (i + 1) & 0xFF])
    if "size" in opts:
        msg += bytes(max(0, int(opts["size"]) - len(msg)))
    if "cut" in opts:
        msg = msg[:int(opts["cut"])]
    return msg


def flood(sock, to):
    bogus = bytes([0xFF, 0xFF, 0x81, 0x80]) + bytes(8)
    while not stopping.is_set():
        try:
            sock.sendto(bogus, to)
        except OSError:
            pass
        time.sleep(0.05)


def answer_udp(sock, key, query, client):
    for action in next_actions(key):
        kind, opts = action[0], options(action)
        if kind == "silent":
            continue
        if kind == "flood":
            threading.Thread(target=flood, args=(sock, client), daemon=True).start()
            continue
        time.sleep(int(opts.get("pause", 0)) / 1000)
        msg = build_reply(query, opts)
        if "port" in opts or "from" in opts:
            other = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            other.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            other.bind((opts.get("from", key[0]), int(opts.get("port", 53))))
            other.sendto(msg, client)
            other.close()
        else:
            sock.sendto(msg, client)


def read_exactly(conn, n):
    data = b""
    while len(data) < n:
        piece = conn.recv(n - len(data))
        if not piece:
            return None
        data += piece
    return data


def closed_by_client(conn):
    """Whether the client has closed its side (it sends nothing else)."""
    if not select.select([conn], [], [], 0)[0]:
        return False
    return conn.recv(1, socket.MSG_PEEK) == b""


def serve_tcp(conn, key):
    try:
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        conn.settimeout(60)
        prefix = read_exactly(conn, 2)
        if prefix is None:
            return
        query = read_exactly(conn, struct.unpack("!H", prefix)[0])
        if query is None:
            return
        record(key, query)
        action = next_actions(key)[0]
        opts = options(action)
        if action[0] == "reply":
            msg = build_reply(query, opts)
            framed = struct.pack("!H", int(opts.get("announce", len(msg)))) + msg
            cuts = [int(c) for c in opts.get("split", "").split(",") if c]
            pause = int(opts.get("pause", 100 if cuts else 0)) / 1000
            if not cuts:
                time.sleep(pause)
            start = 0
            for c in cuts + [len(framed)]:
                if start and closed_by_client(conn):
                    note(key, "closed early")
                    return
                conn.sendall(framed[start:c])
                start = c
                if c != len(framed):
                    time.sleep(pause)
            if "reset" in opts:
                conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            if "close" in opts or "reset" in opts:
                return
        # Hold the connection until the client closes it; a client that leaves
        # data unread resets the connection instead.
        while conn.recv(4096):
            pass
    except ConnectionResetError:
        note(key, "reset")
    except OSError:
        pass
    finally:
        conn.close()


def main():
    global log_file
    parse_script(sys.argv[1])
    log_file = open(sys.argv[2], "w")
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    sockets = {}
    held = []   # the listening sockets that are kept full, and their fillers
    connections = []   # the threads that serve TCP connections
    for address, port, proto in rules:
        if proto == "udp":
            s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        else:
            s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind((address, port))
        if rules[(address, port, proto)][:1] == [[["full"]]]:
            # With a backlog of 0 one connection fills the queue; the SYN of
            # the next goes unanswered.
            s.listen(0)
            filler = socket.create_connection((address, port))
            held += [s, filler]
            continue
        if proto == "tcp":
            s.listen(8)
        sockets[s] = (address, port, proto)
    print("ready", flush=True)
    try:
        while True:
            readable, _, _ = select.select(list(sockets), [], [])
            for s in readable:
                key = sockets[s]
                if key[2] == "udp":
                    query, client = s.recvfrom(65535)
                    record(key, query)
                    threading.Thread(target=answer_udp, args=(s, key, query, client), daemon=True).start()
                else:
                    conn, _ = s.accept()
                    served = threading.Thread(target=serve_tcp, args=(conn, key), daemon=True)
                    served.start()
                    connections.append(served)
    finally:
        stopping.set()
        # A connection still served finishes first (the client that closed it
        # is gone, so no wait is long), and notes what it saw.
        for served in connections:
            served.join(timeout=5)
        log_file.flush()


if __name__ == "__main__":
    main()
