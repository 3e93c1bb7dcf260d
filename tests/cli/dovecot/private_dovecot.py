"""A Dovecot IMAP server of its own for a test: its configuration, runtime,
state and log in a directory of the test, listening on the loopback address
only, never the system's service. It serves one user whose mail is a given
tree of Maildir folders (as the namespace "Mail/", beside an empty inbox),
and always goes down when the test ends."""

import os
import signal
import socket
import subprocess
import time

DOVECOT = "/usr/sbin/dovecot"
USER = "tester"
PASSWORD = "secret"


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class PrivateDovecot:
    """with PrivateDovecot(work_dir, mailbox, uid, gid) as server: ... server.port"""

    def __init__(self, work_dir, mailbox, uid, gid):
        self.dir = os.path.join(work_dir, "dovecot")
        self.mailbox = mailbox
        self.uid = uid
        self.gid = gid
        self.port = free_port()
        self.log = os.path.join(self.dir, "dovecot.log")
        self.config = os.path.join(self.dir, "dovecot.conf")
        self.pid = None

    def __enter__(self):
        self._write_config()
        # The daemon keeps what it inherits open: a file, not a pipe to wait on.
        startup = os.path.join(self.dir, "startup.log")
        with open(startup, "w") as output:
            status = subprocess.run([DOVECOT, "-c", self.config], stdout=output, stderr=output, timeout=30).returncode
        if status != 0:
            with open(startup) as output:
                raise RuntimeError(f"dovecot did not start: {output.read().strip()}")
        try:
            self.pid = self._read_pid()
            self._wait_for_port()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def stop(self):
        if self.pid is None:
            return
        pid, self.pid = self.pid, None
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            return
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                os.kill(pid, 0)
            except ProcessLookupError:
                return
            time.sleep(0.05)
        os.kill(pid, signal.SIGKILL)

    def errors(self):
        """The log lines that report an error, a panic or a fatal failure."""
        if not os.path.exists(self.log):
            return []
        with open(self.log, errors="replace") as log:
            return [line.rstrip("\n") for line in log
                    if any(word in line for word in ("Error:", "Panic:", "Fatal:"))]

    def _read_pid(self):
        # The daemon writes its process id after the command returned.
        pid_path = os.path.join(self.dir, "run", "master.pid")
        deadline = time.monotonic() + 15
        while True:
            try:
                with open(pid_path) as pid_file:
                    text = pid_file.read().strip()
                if text:
                    return int(text)
            except FileNotFoundError:
                pass
            if time.monotonic() > deadline:
                raise RuntimeError(f"dovecot wrote no {pid_path}; log: {self.errors()}")
            time.sleep(0.05)

    def _wait_for_port(self):
        deadline = time.monotonic() + 15
        while True:
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=1):
                    return
            except OSError:
                if time.monotonic() > deadline:
                    raise RuntimeError(f"dovecot does not listen on port {self.port}; log: {self.errors()}")
                time.sleep(0.05)

    def _write_config(self):
        for sub in ("", "run", "state", "home"):
            os.makedirs(os.path.join(self.dir, sub), exist_ok=True)
        os.chmod(self.dir, 0o755)
        home = os.path.join(self.dir, "home")
        os.chown(home, self.uid, self.gid)
        passwd = os.path.join(self.dir, "passwd")
        with open(passwd, "w") as users:
            users.write(f"{USER}:{{PLAIN}}{PASSWORD}:{self.uid}:{self.gid}::{home}\n")
        # One setting per line: Dovecot does not read blocks written on one line.
        lines = [
            "protocols = imap",
            "listen = 127.0.0.1",
            "ssl = no",
            "disable_plaintext_auth = no",
            "auth_mechanisms = plain login",
            f"base_dir = {self.dir}/run",
            f"state_dir = {self.dir}/state",
            f"log_path = {self.log}",
            f"info_log_path = {self.dir}/info.log",
            "first_valid_uid = 1",
            "mail_fsync = always",
            "maildir_very_dirty_syncs = no",
            f"mail_location = maildir:{home}/inbox",
            "namespace inbox {",
            "  inbox = yes",
            "  separator = /",
            "}",
            "namespace tree {",
            "  prefix = Mail/",
            "  separator = /",
            f"  location = maildir:{self.mailbox}:LAYOUT=fs:UTF-8",
            "  list = yes",
            "}",
            "passdb {",
            "  driver = passwd-file",
            f"  args = {passwd}",
            "}",
            "userdb {",
            "  driver = static",
            f"  args = uid={self.uid} gid={self.gid} home={home}",
            "}",
            "service imap-login {",
            "  inet_listener imap {",
            "    address = 127.0.0.1",
            f"    port = {self.port}",
            "  }",
            "  inet_listener imaps {",
            "    port = 0",
            "  }",
            "}",
            "service pop3-login {",
            "  inet_listener pop3 {",
            "    port = 0",
            "  }",
            "  inet_listener pop3s {",
            "    port = 0",
            "  }",
            "}",
        ]
        with open(self.config, "w") as config:
            config.write("\n".join(lines) + "\n")
