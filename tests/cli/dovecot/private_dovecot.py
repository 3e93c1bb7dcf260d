"""A Dovecot IMAP server of its own for a test: its configuration, runtime,
state and log in a directory of the test, listening on the loopback address
only, never the system's service. It serves one user whose mail is a given
tree of Maildir folders (as the namespace "Mail/", beside an empty inbox),
and always goes down when the test ends. It can be restarted on the same
port, given settings of its own (such as the capabilities it announces), and
made to speak TLS with a certificate of a private authority."""

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
    """with PrivateDovecot(work_dir, mailbox, uid, gid) as server: ... server.port

    settings: lines added to the configuration. tls: a TlsFiles whose
    certificate the server shows; it then offers STARTTLS on server.port and
    TLS from the first byte on server.tls_port."""

    def __init__(self, work_dir, mailbox, uid, gid, settings=(), tls=None):
        self.dir = os.path.join(work_dir, "dovecot")
        self.mailbox = mailbox
        self.uid = uid
        self.gid = gid
        self.settings = list(settings)
        self.tls = tls
        self.port = free_port()
        self.tls_port = free_port() if tls else 0
        self.log = os.path.join(self.dir, "dovecot.log")
        self.config = os.path.join(self.dir, "dovecot.conf")
        self.pid = None

    def __enter__(self):
        self._write_config()
        self.start()
        return self

    def restart(self):
        """Kills the server and every process it started, dropping each
        connection at once, as a crash does; then starts it again on the
        same ports."""
        pids = [self.pid] + self._descendants(self.pid)
        # All stopped first, so that none logs the others' deaths as errors.
        for sig in (signal.SIGSTOP, signal.SIGKILL):
            for pid in pids:
                try:
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
        for pid in pids:
            self._wait_until_gone(pid)
        self.pid = None
        os.remove(os.path.join(self.dir, "run", "master.pid"))
        self.start()

    @staticmethod
    def _descendants(pid):
        children = {}
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    parent = int(stat.read().rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError, ValueError):
                continue
            children.setdefault(parent, []).append(int(entry))
        found, pending = [], [pid]
        while pending:
            for child in children.get(pending.pop(), []):
                found.append(child)
                pending.append(child)
        return found

    @staticmethod
    def _wait_until_gone(pid):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                os.kill(pid, 0)
            except ProcessLookupError:
                return
            time.sleep(0.02)

    def start(self):
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
                self._wait_for_pid_file_gone()
                return
            time.sleep(0.05)
        os.kill(pid, signal.SIGKILL)

    def _wait_for_pid_file_gone(self):
        pid_path = os.path.join(self.dir, "run", "master.pid")
        deadline = time.monotonic() + 10
        while os.path.exists(pid_path) and time.monotonic() < deadline:
            time.sleep(0.05)

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
        if self.tls:
            ssl = ["ssl = yes", f"ssl_cert = <{self.tls.certificate}", f"ssl_key = <{self.tls.key}"]
        else:
            ssl = ["ssl = no"]
        lines = [
            "protocols = imap",
            "listen = 127.0.0.1",
            *ssl,
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
            f"    port = {self.tls_port}",
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
            config.write("\n".join(lines + self.settings) + "\n")


class TlsFiles:
    """A private certificate authority and a server certificate it signed for
    127.0.0.1 and localhost, made with the openssl command in directory."""

    def __init__(self, directory):
        os.makedirs(directory, exist_ok=True)
        self.authority = os.path.join(directory, "authority.pem")
        self.certificate = os.path.join(directory, "server.pem")
        self.key = os.path.join(directory, "server.key")
        authority_key = os.path.join(directory, "authority.key")
        request = os.path.join(directory, "server.csr")
        extensions = os.path.join(directory, "server.ext")
        with open(extensions, "w") as ext:
            ext.write("subjectAltName = IP:127.0.0.1, DNS:localhost\n")
        for command in (
                ["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Test Authority",
                 "-keyout", authority_key, "-out", self.authority],
                ["req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", self.key,
                 "-out", request],
                ["x509", "-req", "-in", request, "-CA", self.authority, "-CAkey", authority_key,
                 "-CAcreateserial", "-days", "2", "-extfile", extensions, "-out", self.certificate]):
            subprocess.run(["openssl", *command], check=True, capture_output=True, timeout=60)
        os.chmod(self.key, 0o644)
