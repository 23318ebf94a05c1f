#!/usr/bin/env python3
"""A small Channel Access server for the tests, on 127.0.0.1 only.

It answers name searches over UDP, registers clients on the repeater port
(so the client library never tries to start a repeater of its own), and
serves, over TCP, channels of doubles: the version, client-name and
host-name messages, channel creation with access rights, read-notify of
DBR_DOUBLE arrays, echo and channel clearing (protocol version 4.13).

Channels (x = the element index):
  vexa:wave10      10 elements, x * x
  vexa:wave1000    1000 elements, sin(x / 10)
  vexa:wave100000  100000 elements, x * 0.5
  vexa:x10         10 elements, x + 0.5
  vexa:y10         10 elements, 100 - x
  vexa:y11         11 elements, x
  vexa:temp        1 element, 21.5
  vexa:absurd      claims 4294967295 elements
  vexa:drop        1000 elements; a read gets half a reply, then the circuit closes
  vexa:garbage     creating it gets a message of an unknown kind
Any other name gets no answer.

Usage: ca_test_server.py [LIFETIME_SECONDS]
Prints "ready PORT REPEATER_PORT" once it serves.
"""

import math
import socket
import struct
import sys
import threading
import time

VERSION, SEARCH, READ_NOTIFY, CLEAR_CHANNEL, CREATE_CHAN = 0, 6, 15, 12, 18
ACCESS_RIGHTS, ECHO, REPEATER_CONFIRM, REPEATER_REGISTER = 22, 23, 17, 24
CLIENT_NAME, HOST_NAME = 20, 21
MINOR = 13
DBR_DOUBLE = 6
ECA_NORMAL = 1


def wave(n, f):
    return [float(f(i)) for i in range(n)]


CHANNELS = {
    "vexa:wave10": wave(10, lambda i: i * i),
    "vexa:wave1000": wave(1000, lambda i: math.sin(i / 10.0)),
    "vexa:wave100000": wave(100000, lambda i: i * 0.5),
    "vexa:x10": wave(10, lambda i: i + 0.5),
    "vexa:y10": wave(10, lambda i: 100 - i),
    "vexa:y11": wave(11, lambda i: i),
    "vexa:temp": [21.5],
    "vexa:drop": wave(1000, lambda i: i),
}
CLAIMED = {"vexa:absurd": 0xFFFFFFFF, "vexa:garbage": 1}


def count_of(name):
    return CLAIMED.get(name, len(CHANNELS.get(name, [])))


def header(cmd, payload, dtype, count, p1, p2):
    """A message header; the extended form for large payloads or counts."""
    if payload >= 0xFFFF or count >= 0xFFFF:
        return struct.pack(">HHHHIIII", cmd, 0xFFFF, dtype, 0, p1, p2, payload, count)
    return struct.pack(">HHHHII", cmd, payload, dtype, count, p1, p2)


def padded_name(payload):
    return payload.split(b"\0", 1)[0].decode("latin-1")


def messages(data):
    """Splits a byte string into (cmd, dtype, count, p1, p2, payload, rest)."""
    out = []
    while len(data) >= 16:
        cmd, size, dtype, count, p1, p2 = struct.unpack(">HHHHII", data[:16])
        offset = 16
        if size == 0xFFFF and count == 0:
            if len(data) < 24:
                break
            size, count = struct.unpack(">II", data[16:24])
            offset = 24
        if len(data) < offset + size:
            break
        out.append((cmd, dtype, count, p1, p2, data[offset:offset + size]))
        data = data[offset + size:]
    return out, data


def serve_udp(sock, tcp_port):
    while True:
        data, peer = sock.recvfrom(65536)
        msgs, _ = messages(data)
        reply = b""
        for cmd, dtype, count, p1, p2, payload in msgs:
            if cmd == VERSION:
                reply += header(VERSION, 0, dtype, MINOR, p1, 0)
            elif cmd == SEARCH:
                name = padded_name(payload)
                if name in CHANNELS or name in CLAIMED:
                    reply += header(SEARCH, 8, tcp_port, 0, 0xFFFFFFFF, p1)
                    reply += struct.pack(">H6x", MINOR)
        if reply:
            sock.sendto(reply, peer)


def serve_repeater(sock):
    while True:
        data, peer = sock.recvfrom(65536)
        msgs, _ = messages(data)
        for cmd, *_ in msgs:
            if cmd == REPEATER_REGISTER:
                addr = struct.unpack(">I", socket.inet_aton(peer[0]))[0]
                sock.sendto(header(REPEATER_CONFIRM, 0, 0, 0, addr, 0), peer)


def serve_client(conn):
    channels = {}  # sid -> name
    pending = b""
    try:
        conn.sendall(header(VERSION, 0, 0, MINOR, 0, 0))
        while True:
            data = conn.recv(65536)
            if not data:
                return
            msgs, pending = messages(pending + data)
            for cmd, dtype, count, p1, p2, payload in msgs:
                if cmd == CREATE_CHAN:
                    name = padded_name(payload)
                    sid = len(channels) + 1
                    if name == "vexa:garbage":
                        conn.sendall(header(99, 0, 0, 0, 0, 0))
                        continue
                    channels[sid] = name
                    conn.sendall(header(ACCESS_RIGHTS, 0, 0, 0, p1, 1)
                                 + header(CREATE_CHAN, 0, DBR_DOUBLE, count_of(name), p1, sid))
                elif cmd == READ_NOTIFY:
                    name = channels.get(p1, "")
                    values = CHANNELS.get(name, [])
                    n = min(count, len(values))
                    body = struct.pack(">%dd" % n, *values[:n])
                    message = header(READ_NOTIFY, len(body), DBR_DOUBLE, n, ECA_NORMAL, p2) + body
                    if name == "vexa:drop":
                        conn.sendall(message[:len(message) // 2])
                        conn.shutdown(socket.SHUT_RDWR)
                        return
                    conn.sendall(message)
                elif cmd == ECHO:
                    conn.sendall(header(ECHO, 0, 0, 0, 0, 0))
                elif cmd == CLEAR_CHANNEL:
                    conn.sendall(header(CLEAR_CHANNEL, 0, 0, 0, p1, p2))
    except OSError:
        pass
    finally:
        conn.close()


def serve_tcp(listener):
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve_client, args=(conn,), daemon=True).start()


def bind_ports():
    """A port free for both UDP and TCP, and a UDP port for the repeater."""
    for _ in range(100):
        tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        tcp.bind(("127.0.0.1", 0))
        port = tcp.getsockname()[1]
        udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        try:
            udp.bind(("127.0.0.1", port))
        except OSError:
            tcp.close()
            udp.close()
            continue
        rep = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        rep.bind(("127.0.0.1", 0))
        return tcp, udp, rep
    raise SystemExit("no free port")


def main():
    lifetime = float(sys.argv[1]) if len(sys.argv) > 1 else 3600.0
    tcp, udp, rep = bind_ports()
    tcp.listen(64)
    port = tcp.getsockname()[1]
    for target, args in ((serve_udp, (udp, port)), (serve_repeater, (rep,)), (serve_tcp, (tcp,))):
        threading.Thread(target=target, args=args, daemon=True).start()
    print("ready %d %d" % (port, rep.getsockname()[1]), flush=True)
    # Ends by itself, whatever happens to the test run.
    time.sleep(lifetime)


if __name__ == "__main__":
    main()
