#!/usr/bin/env python3
"""The IMAP benchmark (not a test): velmora save --remove --replace link over
the same generated mailbox twice, once as a Maildir on disk and once as an
IMAP account that a private Dovecot serves on the loopback, directly and
through a proxy that delays every chunk by half a round trip each way.
Prints wall time, messages and attachment bytes per second, velmora's peak
memory, and what the server's session fetched and appended."""

import argparse
import asyncio
import os
import re
import shutil
import socket
import subprocess
import sys
import threading
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "cli", "dovecot"))

import imap_view  # noqa: E402
from private_dovecot import PASSWORD, USER, PrivateDovecot  # noqa: E402

MAIL_UID = 4711
MAIL_GID = 4711
LOGOUT_FORMAT = ("imap_logout_format = fetched bodies=%{fetch_body_count} bytes=%{fetch_body_bytes} "
                 "appended=%{appended} expunged=%{expunged}")


class DelayProxy:
    """Forwards TCP connections to a port, holding back every chunk for
    delay seconds in each direction (without limiting the bandwidth), as a
    distant server's round trip does."""

    def __init__(self, target_port, delay):
        self.target_port = target_port
        self.delay = delay
        self.port = None
        self.loop = asyncio.new_event_loop()
        started = threading.Event()
        threading.Thread(target=self._serve, args=(started,), daemon=True).start()
        started.wait()

    def _serve(self, started):
        asyncio.set_event_loop(self.loop)
        server = self.loop.run_until_complete(asyncio.start_server(self._connection, "127.0.0.1", 0))
        self.port = server.sockets[0].getsockname()[1]
        started.set()
        self.loop.run_forever()

    async def _pipe(self, reader, writer):
        queue = asyncio.Queue()

        async def send():
            while True:
                due, data = await queue.get()
                if data is None:
                    break
                await asyncio.sleep(max(0.0, due - self.loop.time()))
                writer.write(data)
                await writer.drain()
            writer.close()

        sender = asyncio.ensure_future(send())
        while True:
            data = await reader.read(65536)
            await queue.put((self.loop.time() + self.delay, data or None))
            if not data:
                break
        await sender

    async def _connection(self, client_reader, client_writer):
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", self.target_port)
        for writer in (client_writer, server_writer):
            writer.get_extra_info("socket").setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        await asyncio.gather(self._pipe(client_reader, server_writer), self._pipe(server_reader, client_writer),
                             return_exceptions=True)


def attachment_bytes(directory):
    return sum(os.path.getsize(os.path.join(d, name)) for d, _, names in os.walk(directory) for name in names)


def timed_save(velmora, mailbox, target, env):
    """(wall seconds, peak resident KB, CPU seconds) of one save run."""
    start = time.monotonic()
    process = subprocess.Popen([velmora, "save", "--mailbox", mailbox, "--to", target, "--remove", "--replace",
                                "link", "--min-size", "0", "--no-wait"], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - start
    errors = process.stderr.read()
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError(f"velmora save over {mailbox} failed: {errors[-2000:]}")
    return wall, usage.ru_maxrss, usage.ru_utime + usage.ru_stime


def index_on_server(port):
    """Lets the server index every folder first, as a mailbox in use is."""
    connection = imap_view.imap_connect(port, USER, PASSWORD)
    for folder in imap_view.folders(connection):
        status, data = connection.select(imap_view.quoted(folder))
        if status == "OK" and int(data[0]) > 0:
            connection.fetch("1:*", "(BODYSTRUCTURE RFC822.SIZE)")
    connection.logout()


def last_session(server):
    with open(os.path.join(server.dir, "info.log"), errors="replace") as log:
        sessions = re.findall(r"fetched bodies=(\d+) bytes=(\d+) appended=(\d+) expunged=(\d+)", log.read())
    return [tuple(map(int, fields)) for fields in sessions if int(fields[2]) > 0][-1]


def report(name, messages, saved, measured, session=None):
    wall, rss, cpu = measured
    line = (f"{name:34} {wall:8.2f} s {messages / wall:8.1f} msg/s {saved / wall / 1048576:8.1f} MB/s "
            f"{rss / 1024:7.1f} MB peak {cpu:6.2f} s CPU")
    if session:
        line += (f"   server: {session[0]} whole messages fetched ({session[1] / 1048576:.0f} MB), "
                 f"{session[2]} appended, {session[3]} expunged")
    print(line, flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--velmora", required=True)
    parser.add_argument("--generator", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--messages", type=int, default=2000)
    parser.add_argument("--size-mb", type=int, default=200)
    parser.add_argument("--rtt-ms", type=float, action="append", default=None,
                        help="round trips to add through the proxy (repeatable; default 20)")
    arguments = parser.parse_args()
    if os.geteuid() != 0:
        sys.exit("run as root: the served mailbox belongs to a mail user")
    work = os.path.abspath(arguments.work)
    os.makedirs(work, exist_ok=True)
    os.chmod(work, 0o755)
    env = dict(os.environ, VELMORA_USER_REGISTRY=f"{work}/registry/user.db",
               VELMORA_MACHINE_REGISTRY=f"{work}/registry/machine.db", VELMORA_DRIVES_ROOT=f"{work}/drives",
               VELMORA_IMAP_PASSWORD=PASSWORD)
    env.pop("VELMORA_DRIVES", None)
    subprocess.run([arguments.velmora, "install"], env=env, check=True, capture_output=True)

    original = os.path.join(work, "original")
    subprocess.run([arguments.generator, "--out", original, "--messages", str(arguments.messages), "--size-mb",
                    str(arguments.size_mb)], check=True, capture_output=True)
    print(f"mailbox: {arguments.messages} messages, {attachment_bytes(original) / 1048576:.0f} MB of files; "
          f"machine: {os.cpu_count()} cores; velmora {arguments.velmora}", flush=True)

    maildir = os.path.join(work, "maildir")
    shutil.copytree(original, maildir, symlinks=True)
    saved = os.path.join(work, "saved-maildir")
    measured = timed_save(arguments.velmora, maildir, saved, env)
    report("Maildir on disk", arguments.messages, attachment_bytes(saved), measured)

    for rtt in [0.0] + (arguments.rtt_ms or [20.0]):
        served = os.path.join(work, f"served-{rtt:g}")
        shutil.copytree(original, served, symlinks=True)
        for directory, subdirectories, names in os.walk(served):
            for name in [directory] + [os.path.join(directory, entry) for entry in subdirectories + names]:
                os.chown(name, MAIL_UID, MAIL_GID, follow_symlinks=False)
        with PrivateDovecot(os.path.join(work, f"server-{rtt:g}"), served, MAIL_UID, MAIL_GID,
                            [LOGOUT_FORMAT]) as server:
            index_on_server(server.port)
            port = DelayProxy(server.port, rtt / 2000.0).port if rtt > 0 else server.port
            saved = os.path.join(work, f"saved-imap-{rtt:g}")
            measured = timed_save(arguments.velmora, f"imap://{USER}@127.0.0.1:{port}/", saved, env)
            time.sleep(0.5)  # the logout line reaches the log
            report(f"IMAP, loopback + {rtt:g} ms round trip" if rtt else "IMAP, loopback", arguments.messages,
                   attachment_bytes(saved), measured, last_session(server))


if __name__ == "__main__":
    main()
