#!/usr/bin/env python3
"""The public status query under load: what each path of it takes in and
sends out, and what a 10-second flood from 1,000 loopback addresses costs the
engine.

The engine runs in a fresh temporary directory with `sv_status 1` and an open
socket. First, one datagram of each kind from a probe socket: its size and
the size of the answer, if any. Then a sender (C++, built with g++ here:
Python would be slower than the engine) floods the port from 1,000 sockets
bound to 127.0.1.1 to 127.0.4.250 with challenge requests, and answers every
challenge it gets with a status request, the most the server can be made to
do. Meanwhile a game peer on 127.0.0.1 sends 100 plain datagrams a second,
which the engine must go on reporting, and a browser on 127.0.9.9 tries one
status exchange a second. Printed: the engine's memory (VmRSS, VmHWM) before
and after, its CPU time during the flood, what the flood sent and got, and
what the peer and the browser got through.
"""
import argparse
import json
import os
import select
import socket
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PREFIX = b"\x00VSQ"

FLOODER = r"""
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    const int port = std::atoi(argv[1]);
    const double seconds = std::atof(argv[2]);
    const int count = std::atoi(argv[3]);
    const double rate = std::atof(argv[4]);  // queries a second, 0 for as many as it can
    rlimit files {};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    sockaddr_in target {};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<unsigned short>(port));
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<int> fds;
    for (int i = 0; i < count; ++i) {
        const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in self {};
        self.sin_family = AF_INET;
        self.sin_addr.s_addr = htonl((127u << 24) | ((1u + i / 250) << 8) | (1u + i % 250));
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0) {
            std::perror("socket");
            return 1;
        }
        fds.push_back(fd);
    }
    unsigned char query[37] = {0, 'V', 'S', 'Q', 1};
    unsigned long long sent = 0, sent_bytes = 0, challenges = 0, statuses = 0, status_bytes = 0, other = 0;
    const auto send = [&](int fd, const unsigned char* bytes) {
        if (sendto(fd, bytes, 37, 0, reinterpret_cast<sockaddr*>(&target), sizeof target) > 0) {
            ++sent;
            sent_bytes += 37;
        }
    };
    // Every challenge is taken up with a status request.
    const auto drain = [&](int fd) {
        unsigned char answer[2048];
        for (ssize_t size; (size = recv(fd, answer, sizeof answer, 0)) > 0;) {
            if (size == 37 && answer[4] == 2) {
                ++challenges;
                answer[4] = 3;
                send(fd, answer);
            } else if (answer[4] == 4) {
                ++statuses;
                status_bytes += static_cast<unsigned long long>(size);
            } else {
                ++other;
            }
        }
    };
    // Spread evenly over the time when a rate is given, as the queries of
    // many independent senders would come.
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    while (elapsed() < seconds) {
        for (int fd : fds) {
            if (rate <= 0 || sent < rate * elapsed()) {
                std::memcpy(query + 5, &sent, 8);
                send(fd, query);
            }
            drain(fd);
        }
        if (rate > 0)
            usleep(100);
    }
    std::printf("{\"sent\": %llu, \"sent_bytes\": %llu, \"challenges\": %llu, \"statuses\": %llu, "
                "\"status_bytes\": %llu, \"other\": %llu}\n",
                sent, sent_bytes, challenges, statuses, status_bytes, other);
    return 0;
}
"""


def build_flooder(directory):
    source = os.path.join(directory, "flooder.cpp")
    binary = os.path.join(directory, "flooder")
    with open(source, "w") as f:
        f.write(FLOODER)
    subprocess.run(["g++", "-O2", "-std=c++17", "-o", binary, source], check=True)
    return binary


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def proc_status(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            fields[key] = value.strip()
    return fields["VmRSS"], fields["VmHWM"]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        parts = f.read().rsplit(")", 1)[1].split()
    return (int(parts[11]) + int(parts[12])) / os.sysconf("SC_CLK_TCK")


def udp_drops(port):
    """Datagrams the kernel dropped at full receive queues of sockets on `port`."""
    drops = 0
    with open("/proc/net/udp") as f:
        next(f)
        for line in f:
            fields = line.split()
            if int(fields[1].split(":")[1], 16) == port:
                drops += int(fields[-1])
    return drops


def exchange(sock, port, datagram, wait=0.3):
    """Sends `datagram`, returns the answer's bytes or b"" after `wait`."""
    sock.sendto(datagram, ("127.0.0.1", port))
    ready, _, _ = select.select([sock], [], [], wait)
    return sock.recv(65536) if ready else b""


def query(kind, nonce=b"benchnon", challenge=bytes(24)):
    return PREFIX + bytes([kind]) + nonce + challenge


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--engine", default=os.path.join(ROOT, "build", "varnholt"))
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--addresses", type=int, default=1000)
    parser.add_argument("--rate", type=float, default=0, help="flood queries a second; 0: as fast as it can")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as work:
        flooder = build_flooder(work)
        os.makedirs(os.path.join(work, "data"))
        port = free_port()
        with open(os.path.join(work, "data", "init.cfg"), "w") as f:
            f.write(f"sv_status 1\nsv_hostname bench\nn_open {port}\n")
        engine = subprocess.Popen([os.path.abspath(args.engine)], cwd=work, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        reported = []
        reader = threading.Thread(target=lambda: reported.extend(engine.stdout), daemon=True)
        reader.start()
        time.sleep(0.5)

        # Every path once, from a probe of its own.
        probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        probe.bind(("127.0.0.2", 0))
        rows = []
        challenge = exchange(probe, port, query(1))
        rows.append(("challenge request", 37, len(challenge)))
        rows.append(("status request, good challenge", 37, len(exchange(probe, port, query(3, challenge=challenge[13:])))))
        spoofed = bytearray(challenge[13:])
        spoofed[-1] ^= 1
        rows.append(("status request, spoofed challenge", 37, len(exchange(probe, port, query(3, challenge=bytes(spoofed))))))
        rows.append(("undersized query (36)", 36, len(exchange(probe, port, query(1)[:36]))))
        rows.append(("oversized query (38)", 38, len(exchange(probe, port, query(1) + b"\0"))))
        rows.append(("largest datagram (65507)", 65507, len(exchange(probe, port, query(1) + bytes(65507 - 37)))))
        other = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        other.bind(("127.0.0.3", 0))
        rows.append(("good challenge from another address", 37, len(exchange(other, port, query(3, challenge=challenge[13:])))))
        time.sleep(1.1)
        answers = [len(exchange(probe, port, query(1), 0.1)) for _ in range(5)]
        rows.append(("5th query within a second (per-address limit 4)", 37, answers[-1]))
        print("path | in | out")
        for name, got_in, out in rows:
            print(f"{name} | {got_in} | {out}")

        # The flood.
        drops_before = udp_drops(port)
        rss_before = proc_status(engine.pid)
        cpu_before = cpu_seconds(engine.pid)
        flood = subprocess.Popen([flooder, str(port), str(args.seconds), str(args.addresses), str(args.rate)], stdout=subprocess.PIPE)
        peer = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        peer.bind(("127.0.0.1", 0))
        browser = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        browser.bind(("127.0.9.9", 0))
        peer_sent = 0
        browser_tries = browser_ok = 0
        start = time.monotonic()
        next_browse = start
        while time.monotonic() - start < args.seconds:
            peer.sendto(b"peer %d\0" % peer_sent, ("127.0.0.1", port))
            peer_sent += 1
            if time.monotonic() >= next_browse:
                next_browse += 1
                browser_tries += 1
                got = exchange(browser, port, query(1), 0.05)
                if len(got) == 37 and len(exchange(browser, port, query(3, challenge=got[13:]), 0.05)) > 0:
                    browser_ok += 1
            time.sleep(0.01)
        flood_result = json.loads(flood.communicate()[0])
        cpu_used = cpu_seconds(engine.pid) - cpu_before
        rss_after = proc_status(engine.pid)
        drops = udp_drops(port) - drops_before
        time.sleep(0.5)
        engine.stdin.write(b"quit\n")
        engine.stdin.close()
        engine.wait(10)
        reader.join(5)
        peer_port = peer.getsockname()[1]
        peer_reported = sum(1 for line in reported if line.startswith(b"Packet from 127.0.0.1 %d" % peer_port))

    print()
    print(f"flood: {args.addresses} addresses, {args.seconds:.0f} s, "
          f"{flood_result['sent'] / args.seconds:.0f} queries a second")
    print(f"flood sent: {flood_result['sent']} queries, {flood_result['sent_bytes']} bytes")
    print(f"flood got: {flood_result['challenges']} challenges ({flood_result['challenges'] * 37} bytes), "
          f"{flood_result['statuses']} statuses ({flood_result['status_bytes']} bytes)")
    total_out = flood_result["challenges"] * 37 + flood_result["status_bytes"]
    print(f"answered bytes / query bytes: {total_out / max(1, flood_result['sent_bytes']):.4f}")
    print(f"engine memory before: VmRSS {rss_before[0]}, VmHWM {rss_before[1]}")
    print(f"engine memory after:  VmRSS {rss_after[0]}, VmHWM {rss_after[1]}")
    print(f"engine CPU during the flood: {cpu_used:.2f} s of {args.seconds:.0f} s")
    print(f"dropped by the kernel at the engine's full socket queue: {drops} datagrams")
    print(f"game peer: {peer_reported} of {peer_sent} datagrams reported")
    print(f"browser: {browser_ok} of {browser_tries} exchanges answered")


if __name__ == "__main__":
    sys.exit(main())
