#!/usr/bin/env python3
"""brawlex-server over real sockets on loopback: a UDP player and a WebSocket player
meet in a room and pass datagrams both ways; an unproven UDP sender gets no more bytes
than it sent; a closed WebSocket tells the other player. Usage: test_relay_server.py
<brawlex-server>. The server is started on a free port and stopped by its pid."""
import base64
import os
import select
import socket
import struct
import subprocess
import sys
import time
import unittest

SERVER = sys.argv.pop(1) if len(sys.argv) > 1 else "brawlex-server"
HELLO, CREATE, JOIN, LEAVE, KEEPALIVE = 1, 2, 3, 4, 5
COOKIE, CREATED, JOINED, PEER_JOINED, PEER_LEFT, ERROR = 16, 17, 18, 19, 20, 21


def control(kind, cookie=b"\0" * 16, code=b"\0" * 8):
    return b"RL" + bytes([1, kind]) + cookie + code + b"\0" * 4


def parse(packet):
    assert len(packet) == 32 and packet[:3] == b"RL\x01", packet
    return packet[3], packet[4:20], packet[20:28]


def free_port():
    # A port free for both TCP and UDP on loopback.
    for _ in range(50):
        t = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        t.bind(("127.0.0.1", 0))
        port = t.getsockname()[1]
        u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        try:
            u.bind(("127.0.0.1", port))
            return port
        except OSError:
            continue
        finally:
            u.close()
            t.close()
    raise RuntimeError("no free port")


class WebSocket:
    """The least client that speaks to the server: binary frames, masked."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=5)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET / HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                           "Sec-WebSocket-Version: 13\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(1)
            if not chunk:
                raise RuntimeError("closed during the upgrade")
            head += chunk
        assert head.startswith(b"HTTP/1.1 101"), head
        self.buffer = b""

    def send(self, payload):
        mask = os.urandom(4)
        n = len(payload)
        header = bytes([0x82]) + (bytes([0x80 | n]) if n < 126 else bytes([0x80 | 126]) + struct.pack(">H", n))
        self.sock.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))

    def _need(self, n, deadline):
        while len(self.buffer) < n:
            self.sock.settimeout(max(0.01, deadline - time.monotonic()))
            chunk = self.sock.recv(4096)
            if not chunk:
                raise EOFError
            self.buffer += chunk

    def receive(self, timeout=5):
        deadline = time.monotonic() + timeout
        while True:
            self._need(2, deadline)
            opcode, n = self.buffer[0] & 0x0F, self.buffer[1] & 0x7F
            start = 2
            if n == 126:
                self._need(4, deadline)
                n, start = struct.unpack(">H", self.buffer[2:4])[0], 4
            self._need(start + n, deadline)
            payload, self.buffer = self.buffer[start:start + n], self.buffer[start + n:]
            if opcode == 2:
                return payload
            if opcode == 8:
                raise EOFError

    def close(self):
        self.sock.close()


class RelayServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.port = free_port()
        cls.proc = subprocess.Popen([SERVER, "--port", str(cls.port)], stderr=subprocess.PIPE)
        line = cls.proc.stderr.readline().decode()
        assert "listening" in line, line

    @classmethod
    def tearDownClass(cls):
        cls.proc.terminate()
        try:
            cls.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            cls.proc.kill()
            cls.proc.wait()
        cls.proc.stderr.close()

    def udp(self, family=socket.AF_INET, host="127.0.0.1"):
        s = socket.socket(family, socket.SOCK_DGRAM)
        s.bind((host, 0))
        s.settimeout(5)
        self.addCleanup(s.close)
        return s

    def ask(self, s, packet, host="127.0.0.1"):
        # UDP may drop: ask a few times.
        for _ in range(5):
            s.sendto(packet, (host, self.port))
            try:
                return parse(s.recv(2048))
            except socket.timeout:
                continue
        self.fail("no answer")

    def udp_create(self, s, host="127.0.0.1"):
        kind, cookie, _ = self.ask(s, control(HELLO), host)
        self.assertEqual(kind, COOKIE)
        kind, _, code = self.ask(s, control(CREATE, cookie), host)
        self.assertEqual(kind, CREATED)
        return code

    def test_udp_host_and_browser_play_through_a_room(self):
        host = self.udp()
        code = self.udp_create(host)
        ws = WebSocket(self.port)
        self.addCleanup(ws.close)
        ws.send(control(JOIN, code=code))
        self.assertEqual(parse(ws.receive())[0], JOINED)
        self.assertEqual(parse(host.recv(2048))[0], PEER_JOINED)
        for i in range(20):
            ws.send(b"BX" + bytes([i]) * 100)
            self.assertEqual(host.recv(2048), b"BX" + bytes([i]) * 100)
            host.sendto(b"BX" + bytes([i]) * 1000, ("127.0.0.1", self.port))
            self.assertEqual(ws.receive(), b"BX" + bytes([i]) * 1000)
        ws.close()
        kind, _, left = parse(host.recv(2048))
        self.assertEqual((kind, left), (PEER_LEFT, code))

    def test_a_burst_passes_whole_and_in_order_and_oversized_datagrams_do_not(self):
        # More datagrams at once than the server reads in one wake-up: none of the
        # tail may wait for a later datagram, none may be cut or passed twice.
        host, joiner = self.udp(), self.udp()
        joiner.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4 << 20)
        code = self.udp_create(host)
        kind, cookie, _ = self.ask(joiner, control(HELLO))
        self.assertEqual(self.ask(joiner, control(JOIN, cookie, code))[0], JOINED)
        self.assertEqual(parse(host.recv(2048))[0], PEER_JOINED)
        sent = []
        for i in range(500):
            size = 1201 if i % 97 == 50 else (1200 if i % 50 == 0 else 6 + i % 300)
            payload = b"BX" + struct.pack(">I", i) + bytes([i % 251]) * (size - 6)
            host.sendto(payload, ("127.0.0.1", self.port))
            if size <= 1200:
                sent.append(payload)
        got = []
        while len(got) < len(sent):
            try:
                got.append(joiner.recv(4096))
            except socket.timeout:
                break
        self.assertEqual(got, sent)
        joiner.settimeout(0.3)
        with self.assertRaises(socket.timeout):
            joiner.recv(4096)

    def test_a_browser_hosts_an_ipv6_player_and_a_third_is_refused(self):
        a, b = WebSocket(self.port), WebSocket(self.port)
        self.addCleanup(a.close)
        self.addCleanup(b.close)
        a.send(control(CREATE))
        kind, _, code = parse(a.receive())
        self.assertEqual(kind, CREATED)
        b.send(control(JOIN, code=code.lower()))  # the game sends codes in capitals
        self.assertEqual(parse(b.receive())[0], ERROR)
        try:
            joiner = self.udp(socket.AF_INET6, "::1")
            host = "::1"
        except OSError:  # no IPv6 on this machine: the same over IPv4
            joiner, host = self.udp(), "127.0.0.1"
        kind, cookie, _ = self.ask(joiner, control(HELLO), host)
        self.assertEqual(self.ask(joiner, control(JOIN, cookie, code), host)[0], JOINED)
        self.assertEqual(parse(a.receive())[0], PEER_JOINED)
        a.send(b"BXfrom-the-page")
        self.assertEqual(joiner.recv(2048), b"BXfrom-the-page")
        b.send(control(JOIN, code=code))
        self.assertEqual(parse(b.receive())[0], ERROR)  # full

    def test_an_unproven_sender_gets_no_more_than_it_sent(self):
        s = self.udp()
        s.settimeout(0.2)
        sent = received = 0
        for packet in [b"", b"R", b"RL\x01\x01", control(HELLO), control(CREATE),
                       control(JOIN, code=b"22222222"), b"RL" + b"\xff" * 1198, os.urandom(1200),
                       control(HELLO) + b"pad"]:
            for _ in range(3):
                s.sendto(packet, ("127.0.0.1", self.port))
                sent += len(packet)
        deadline = time.monotonic() + 1
        while time.monotonic() < deadline:
            try:
                received += len(s.recv(4096))
            except socket.timeout:
                break
        self.assertLessEqual(received, sent)
        # And the server is still there.
        self.assertEqual(self.ask(self.udp(), control(HELLO))[0], COOKIE)

    def test_plain_http_and_garbage_are_refused_without_harm(self):
        for request in [b"GET / HTTP/1.1\r\nHost: x\r\n\r\n", b"\x00" * 100, b"GET " + b"A" * 20000]:
            c = socket.create_connection(("127.0.0.1", self.port), timeout=5)
            try:
                c.sendall(request)
                c.settimeout(5)
                try:
                    while c.recv(4096):
                        pass
                except (ConnectionResetError, socket.timeout):
                    pass
            finally:
                c.close()
        ws = WebSocket(self.port)
        self.addCleanup(ws.close)
        ws.send(control(CREATE))
        self.assertEqual(parse(ws.receive())[0], CREATED)


if __name__ == "__main__":
    unittest.main()
