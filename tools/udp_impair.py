#!/usr/bin/env python3
"""A small UDP proxy that impairs the line between two game programs on this machine.

Datagrams sent to the proxy's port go on to the target (the hosting program) after a
delay with jitter, or are dropped; the target's answers go back the same way to the
last address that sent. For end-to-end tests and trying the game on a bad line:

    tools/udp_impair.py --listen 27916 --target 127.0.0.1:27915 --delay 60 --jitter 10 --loss 2

then CONNECT 127.0.0.1:27916 in the joining program. Loopback only; it stops by itself
after --seconds (default 600).
"""
import argparse
import heapq
import random
import select
import socket
import time


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--listen", type=int, required=True, help="UDP port to listen on")
    parser.add_argument("--target", required=True, help="host:port the datagrams go to")
    parser.add_argument("--host", default="127.0.0.1", help="loopback address to listen on")
    parser.add_argument("--delay", type=float, default=0, help="one-way delay, ms")
    parser.add_argument("--jitter", type=float, default=0, help="extra delay up to, ms")
    parser.add_argument("--loss", type=float, default=0, help="percent of datagrams dropped")
    parser.add_argument("--seconds", type=float, default=600, help="stop after this long")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    target_host, _, target_port = args.target.rpartition(":")
    target_host = target_host.strip("[]")
    if target_host not in ("127.0.0.1", "::1", "localhost"):
        raise SystemExit("udp_impair: the target must be on this machine")
    family = socket.AF_INET6 if ":" in args.host else socket.AF_INET
    outside = socket.socket(family, socket.SOCK_DGRAM)  # where the joiner sends
    outside.bind((args.host, args.listen))
    inside = socket.socket(family, socket.SOCK_DGRAM)  # towards the target
    inside.bind((args.host, 0))
    target = (target_host, int(target_port))

    rng = random.Random(args.seed)
    queue = []  # (due, order, socket, address, bytes)
    order = 0
    client = None
    end = time.monotonic() + args.seconds
    while time.monotonic() < end:
        now = time.monotonic()
        timeout = 0.05 if not queue else max(0.0, min(0.05, queue[0][0] - now))
        ready, _, _ = select.select([outside, inside], [], [], timeout)
        for sock in ready:
            data, sender = sock.recvfrom(65536)
            if sock is outside:
                client = sender
                send_sock, to = inside, target
            else:
                if client is None:
                    continue
                send_sock, to = outside, client
            if rng.random() * 100 < args.loss:
                continue
            due = time.monotonic() + (args.delay + rng.random() * args.jitter) / 1000
            heapq.heappush(queue, (due, order, send_sock, to, data))
            order += 1
        now = time.monotonic()
        while queue and queue[0][0] <= now:
            _, _, send_sock, to, data = heapq.heappop(queue)
            try:
                send_sock.sendto(data, to)
            except OSError:
                pass


if __name__ == "__main__":
    main()
