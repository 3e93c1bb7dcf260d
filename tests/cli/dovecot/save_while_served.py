#!/usr/bin/env python3
"""velmora save and reintroduce over a Maildir that a running Dovecot serves
and a client changes meanwhile, as a user's mailbox is shared in real life.

A private Dovecot (see private_dovecot.py) serves a generated sample mailbox
owned by a mail user; a client indexes it through IMAP (so that the server
caches sizes and offsets), flags some messages, and stays connected.
`velmora save --remove --replace link` runs as root while a second client
keeps changing flags, then `velmora reintroduce` the same way. After each run
the first client reads everything again: no disconnect, no error in the
server's log, every message there once with its flags (none lost, none
invented), every size and part as the file holds it, the links readable, and
after reintroduce every attachment back with its bytes. mutt, reading a
rewritten message, shows where its attachment went.

Exit status 0 when all holds, 1 with the list of what did not, 77 (skipped)
when not run as root: the mailbox must belong to another user than the
server's and the saving program's."""

import argparse
import imaplib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading

# The test's own modules, without leaving compiled copies in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import imap_view  # noqa: E402
from private_dovecot import PASSWORD, USER, PrivateDovecot  # noqa: E402

MAIL_UID = 4711
MAIL_GID = 4711
MESSAGES = 60
MEGABYTES = 4
SKIPPED = 77
FLAGGED_EVERY = 3  # before the run, every third message is flagged ...
LABELLED_EVERY = 5  # ... and every fifth gets a keyword, which Dovecot keeps in the file name
KEYWORD = "$Label1"
SAVE_FLAG = "\\Answered"  # what a second client sets during the save ...
REINTRODUCE_FLAG = "$Forwarded"  # ... and during the reintroduce


def run(command, env, problems, what):
    finished = subprocess.run(command, env=env, capture_output=True, text=True, timeout=120)
    if finished.returncode != 0:
        problems.append(f"{what} exited with {finished.returncode}: {finished.stderr.strip()[-2000:]}")
    return finished


def store(connection, uid, change, flags):
    """UID STORE; whether the server confirmed the flags on that message."""
    status, data = connection.uid("STORE", str(uid), change, f"({flags})")
    if status != "OK":
        return False
    for values in imap_view.parse([item for item in data if item is not None])[1::2]:
        attributes = {values[i].upper(): values[i + 1] for i in range(0, len(values) - 1, 2)}
        if int(attributes.get("UID", -1)) == uid and all(flag in attributes.get("FLAGS", []) for flag in flags.split()):
            return True
    return False


class FlagChanger(threading.Thread):
    """A second client that gives messages a flag while a run goes on, and
    remembers which changes the server confirmed."""

    def __init__(self, port, messages, flag):
        super().__init__(daemon=True)
        self.port = port
        self.messages = messages
        self.flag = flag
        self.done = threading.Event()
        self.confirmed = set()
        self.error = None

    def run(self):
        try:
            connection = imap_view.imap_connect(self.port, USER, PASSWORD)
            while not self.done.is_set():
                for folder in sorted({message.folder for message in self.messages}):
                    connection.select(imap_view.quoted(folder))
                    for message in self.messages:
                        if message.folder != folder or message.key in self.confirmed or self.done.is_set():
                            continue
                        if store(connection, message.uid, "+FLAGS", self.flag):
                            self.confirmed.add(message.key)
                        connection.noop()
            connection.logout()
        except (imaplib.IMAP4.error, OSError) as error:
            self.error = error


def run_while_served(command, env, server, messages, flag, problems, what):
    """Runs velmora while the second client gives messages the flag; the keys
    of the messages whose change the server confirmed."""
    changer = FlagChanger(server.port, messages, flag)
    changer.start()
    try:
        run(command, env, problems, what)
    finally:
        changer.done.set()
        changer.join(timeout=30)
    if changer.error is not None:
        problems.append(f"the client changing flags during {what} failed: {changer.error}")
    return changer.confirmed


def read_back(connection, problems, what):
    """Everything the connected client sees now; a disconnect is a problem."""
    try:
        connection.noop()
        messages = imap_view.read_all(connection)
        for message in messages:
            imap_view.check_parts(connection, message, problems)
        return messages
    except (imaplib.IMAP4.abort, OSError) as error:
        problems.append(f"the connected client lost its connection after {what}: {error}")
        return None


def check_messages(before, after, expected_flags, changed, flag, problems):
    """Every message there once, sizes true, flags kept: those it had before
    the run, and the flag given during the run wherever the server confirmed
    it (the server checks the folder before each command, so it confirms no
    change for a message the run has replaced)."""
    seen = {}
    for message in after:
        if message.key in seen:
            problems.append(f"{message.key} is there twice (UIDs {seen[message.key].uid} and {message.uid})")
        seen[message.key] = message
        if message.size != len(message.body):
            problems.append(f"{message.key}: RFC822.SIZE {message.size}, but {len(message.body)} bytes served")
    for key in before:
        if key not in seen:
            problems.append(f"{key} is gone")
            continue
        flags = set(seen[key].flags)
        wanted = set(expected_flags[key])
        if key in changed:
            wanted.add(flag)
        if flags != wanted and flags != wanted | {flag}:
            problems.append(f"{key}: flags {sorted(flags)}, expected {sorted(wanted)}")
    for key in seen:
        if key not in before:
            problems.append(f"{key} appeared")
    return seen


def check_files_on_disk(mailbox, seen, problems):
    """The server serves each message as its file holds it."""
    by_key = {}
    for directory, _, names in os.walk(mailbox):
        if os.path.basename(directory) not in ("cur", "new"):
            continue
        folder = os.path.relpath(os.path.dirname(directory), mailbox)
        for name in names:
            with open(os.path.join(directory, name), "rb") as file:
                content = file.read()
            message = imap_view.email.message_from_bytes(content)
            by_key[(folder, (message.get("Message-ID") or "").strip())] = (name, content)
    compared = 0
    for key, message in seen.items():
        disk_key = (imap_view.folder_on_disk(key[0]), key[1])
        if disk_key not in by_key:
            problems.append(f"{key}: no file on disk holds it")
            continue
        name, content = by_key[disk_key]
        if imap_view.lf_form(message.body) != content:
            problems.append(f"{key}: the server serves other bytes than its file {name} holds")
        if ",S=" in name and int(name.split(",S=")[1].split(",")[0].split(":")[0]) != len(content):
            problems.append(f"{key}: the file name {name} gives another size than its {len(content)} bytes")
        compared += 1
    return compared


def mutt_shows(path, message_file, work):
    """What mutt shows of the message: its display, as mutt renders it."""
    box = os.path.join(work, "mutt-box")
    for sub in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(box, sub), exist_ok=True)
    shutil.copy(message_file, os.path.join(box, "cur"))
    shown = os.path.join(work, "mutt-shown.txt")
    rc = os.path.join(work, "muttrc")
    with open(rc, "w") as config:
        config.write(f"set folder={work}\nset quit=yes\nset mbox_type=Maildir\n"
                     f'set display_filter="tee {shown}"\npush "<display-message><exit><quit>"\n')
    subprocess.run(["script", "-qec", f"mutt -n -F {rc} -R -f {box}", "/dev/null"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60, env=dict(os.environ, TERM="xterm"))
    if not os.path.exists(shown):
        return None
    with open(shown, "rb") as file:
        return file.read().decode("utf-8", "replace")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--velmora", required=True)
    parser.add_argument("--generator", required=True)
    arguments = parser.parse_args()
    if os.geteuid() != 0:
        print("skipped: needs root, to give the mailbox to a mail user")
        return SKIPPED
    # A test runner's termination still stops the server and removes the files.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))

    work = tempfile.mkdtemp(prefix="velmora-dovecot-")
    try:
        return scenario(arguments, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def scenario(arguments, work):
    os.chmod(work, 0o755)
    env = dict(os.environ, VELMORA_USER_REGISTRY=f"{work}/registry/user.db",
               VELMORA_MACHINE_REGISTRY=f"{work}/registry/machine.db", VELMORA_DRIVES_ROOT=f"{work}/drives")
    env.pop("VELMORA_DRIVES", None)
    mailbox = os.path.join(work, "mail")
    saved = os.path.join(work, "saved")
    problems = []
    subprocess.run([arguments.generator, "--out", mailbox, "--messages", str(MESSAGES), "--size-mb", str(MEGABYTES),
                    "--max-attachment-kb", "256"], check=True, capture_output=True)
    for directory, subdirectories, names in os.walk(mailbox):
        for name in [directory] + [os.path.join(directory, entry) for entry in subdirectories + names]:
            os.chown(name, MAIL_UID, MAIL_GID)
    run([arguments.velmora, "install"], env, problems, "velmora install")

    with PrivateDovecot(work, mailbox, MAIL_UID, MAIL_GID) as server:
        reader = imap_view.imap_connect(server.port, USER, PASSWORD)
        original = imap_view.read_all(reader)
        keys = [message.key for message in original]
        if len(set(keys)) != len(keys) or any(not key[1] for key in keys):
            problems.append("the sample mailbox has messages without a Message-ID of their own")
        expected_flags = {}
        for index, message in enumerate(original):
            flags = set(message.flags)
            reader.select(imap_view.quoted(message.folder))
            if index % FLAGGED_EVERY == 0 and store(reader, message.uid, "+FLAGS", "\\Flagged"):
                flags.add("\\Flagged")
            if index % LABELLED_EVERY == 0 and store(reader, message.uid, "+FLAGS", KEYWORD):
                flags.add(KEYWORD)
            expected_flags[message.key] = flags
        before = {message.key: message for message in original}

        save = [arguments.velmora, "save", "--mailbox", mailbox, "--to", saved, "--remove", "--replace", "link",
                "--min-size", "0", "--if-exists", "rename"]
        answered = run_while_served(save, env, server, original, SAVE_FLAG, problems, "velmora save")
        after_save = read_back(reader, problems, "the save")
        rewritten = links = compared = 0
        if after_save is not None:
            seen = check_messages(before, after_save, expected_flags, answered, SAVE_FLAG, problems)
            compared = check_files_on_disk(mailbox, seen, problems)
            rewritten = sum(1 for key, message in seen.items() if key in before and message.uid != before[key].uid)
            for message in after_save:
                for path in message.links():
                    links += 1
                    if not path or not os.path.isfile(path) or not os.access(path, os.R_OK):
                        problems.append(f"{message.key}: its link names {path!r}, which cannot be read")
            check_mutt(mailbox, seen, before, work, problems)
            for key, message in seen.items():
                if key in expected_flags:
                    expected_flags[key] = set(message.flags)
        problems.extend(f"server log after save: {line}" for line in server.errors())
        save_problems = len(problems)

        forwarded = run_while_served([arguments.velmora, "reintroduce", "--mailbox", mailbox], env, server,
                                     after_save or original, REINTRODUCE_FLAG, problems, "velmora reintroduce")
        after_reintroduce = read_back(reader, problems, "the reintroduce")
        reintroduced = 0
        if after_reintroduce is not None:
            seen = check_messages(before, after_reintroduce, expected_flags, forwarded, REINTRODUCE_FLAG, problems)
            compared += check_files_on_disk(mailbox, seen, problems)
            for key, message in seen.items():
                if key not in before:
                    continue
                reintroduced += 1 if message.uid != after_save_uid(after_save, key) else 0
                if message.links():
                    problems.append(f"{key}: links left after reintroduce: {message.links()}")
                if message.attachment_hashes() != before[key].attachment_hashes():
                    problems.append(f"{key}: its attachments did not come back as they were")
        problems.extend(f"server log after reintroduce: {line}" for line in server.errors())
        try:
            reader.logout()
        except (imaplib.IMAP4.error, OSError) as error:
            problems.append(f"the connected client could not log out: {error}")

    print(f"messages {len(before)}, rewritten by save {rewritten}, links {links}, rewritten by reintroduce "
          f"{reintroduced}, flags changed by a client during save {len(answered)} and during "
          f"reintroduce {len(forwarded)}, served messages compared with their files {compared}, "
          f"disconnects {sum(1 for p in problems if 'lost its connection' in p)}, "
          f"problems after save {save_problems}, after reintroduce {len(problems) - save_problems}, "
          f"server errors {sum(1 for p in problems if p.startswith('server log'))}")
    for problem in problems:
        print(f"FAIL {problem}")
    if rewritten == 0 or links == 0:
        print("FAIL the save rewrote nothing: the scenario tested nothing")
        return 1
    return 1 if problems else 0


def after_save_uid(after_save, key):
    for message in after_save or []:
        if message.key == key:
            return message.uid
    return None


def check_mutt(mailbox, seen, before, work, problems):
    """mutt shows where the attachment of a rewritten message went."""
    for key, message in seen.items():
        paths = message.links()
        if not paths or message.uid == before[key].uid:
            continue
        for directory, _, names in os.walk(os.path.join(mailbox, imap_view.folder_on_disk(key[0]))):
            for name in names:
                file = os.path.join(directory, name)
                if os.path.basename(directory) == "cur" and key[1].encode() in open(file, "rb").read():
                    shown = mutt_shows(paths[0], file, work)
                    if shown is None:
                        problems.append("mutt showed nothing")
                    elif paths[0] not in shown:
                        problems.append(f"mutt does not show the link's path {paths[0]} of {key}")
                    return
    problems.append("no rewritten message with a link for mutt to show")


if __name__ == "__main__":
    sys.exit(main())
