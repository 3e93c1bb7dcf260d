#!/usr/bin/env python3
"""velmora over an IMAP account that a private Dovecot serves (see
private_dovecot.py): one scenario per run, named on the command line.

  save-reroot-reintroduce  save with removal and links, re-root, reintroduce;
                           whole messages fetched only where attachments are
  concurrent-client        a second client changes flags and expunges
                           messages while the save runs
  server-restart           the server is restarted in the middle of a save
  without-uidplus          the server announces no UIDPLUS
  login-and-tls            a wrong password; TLS and STARTTLS with the
                           certificate checked

After every run the account is read through IMAP and nothing may be lost:
each message is there once (or, without UIDPLUS, with its old copy flagged
\\Deleted beside it) with its flags and INTERNALDATE, and its attachments
are in it or in the files its links name, byte for byte.

Exit status 0 when all holds, 1 with the list of what did not, 77 (skipped)
when not run as root: the mailbox must belong to a mail user."""

import argparse
import imaplib
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

# The test's own modules, without leaving compiled copies in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import imap_view  # noqa: E402
from private_dovecot import PASSWORD, USER, PrivateDovecot, TlsFiles  # noqa: E402

MAIL_UID = 4711
MAIL_GID = 4711
SKIPPED = 77
KEYWORD = "$Label1"
RESTART_AT = 20  # the message of a run at which the server is restarted
# Dovecot tells at each logout what the session fetched and appended.
LOGOUT_FORMAT = "imap_logout_format = fetched bodies=%{fetch_body_count} appended=%{appended}"
NO_UIDPLUS = ("imap_capability = IMAP4rev1 SASL-IR LOGIN-REFERRALS ID ENABLE IDLE SORT LITERAL+ NAMESPACE "
              "CHILDREN LIST-EXTENDED CONDSTORE UNSELECT")


class Scenario:
    def __init__(self, arguments, work):
        self.velmora = arguments.velmora
        self.generator = arguments.generator
        self.work = work
        self.problems = []
        self.env = dict(os.environ, VELMORA_USER_REGISTRY=f"{work}/registry/user.db",
                        VELMORA_MACHINE_REGISTRY=f"{work}/registry/machine.db",
                        VELMORA_DRIVES_ROOT=f"{work}/drives", VELMORA_IMAP_PASSWORD=PASSWORD)
        self.env.pop("VELMORA_DRIVES", None)
        self.mailbox = os.path.join(work, "mail")
        self.saved = os.path.join(work, "saved")

    def make_mailbox(self, messages, megabytes):
        subprocess.run([self.generator, "--out", self.mailbox, "--messages", str(messages), "--size-mb",
                        str(megabytes), "--max-attachment-kb", "256"], check=True, capture_output=True)
        for directory, subdirectories, names in os.walk(self.mailbox):
            for name in [directory] + [os.path.join(directory, entry) for entry in subdirectories + names]:
                os.chown(name, MAIL_UID, MAIL_GID)
        self.run(["install"], "velmora install")

    def run(self, arguments, what, expect=0, env=None):
        finished = subprocess.run([self.velmora, *arguments], env=env or self.env, capture_output=True, text=True,
                                  timeout=120)
        if finished.returncode != expect:
            self.problems.append(f"{what} exited with {finished.returncode}, not {expect}: "
                                 f"{finished.stderr.strip()[-2000:]}")
        return finished

    def fail(self, problem):
        self.problems.append(problem)


def account(server, port=None, scheme="imap"):
    return f"{scheme}://{USER}@127.0.0.1:{port or server.port}/"


def read_account(server):
    connection = imap_view.imap_connect(server.port, USER, PASSWORD)
    try:
        messages = imap_view.read_all(connection)
    finally:
        connection.logout()
    copies = {}
    for message in messages:
        copies.setdefault(message.key, []).append(message)
    return copies


def has_attachment_parts(message):
    parsed = imap_view.email.message_from_bytes(imap_view.lf_form(message.body), policy=imap_view.email.policy.compat32)
    return any(part.get_filename() or part.get("Content-Disposition") for part in parsed.walk()
               if not part.is_multipart())


def linked_contents(message, problems):
    contents = []
    for path, content_type in message.linked_parts():
        try:
            contents.append(imap_view.linked_content(path, content_type))
        except OSError as error:
            problems.append(f"{message.key}: its link names {path!r}, which cannot be read: {error}")
    return contents


def check_nothing_lost(before, after, problems, gone=(), flags_added=None, old_copies_stay=False):
    """Every message of before is in after (but those in gone, which must not
    be), once, with its flags (plus those in flags_added) and INTERNALDATE,
    and its attachments in it or in the files of its links. With
    old_copies_stay, a rewritten message's old copy may stay beside it,
    flagged \\Deleted and unchanged."""
    for key in after:
        if key not in before:
            problems.append(f"{key} appeared")
    for key, (original,) in before.items():
        copies = after.get(key, [])
        if key in gone:
            if copies:
                problems.append(f"{key}: expunged by another client, but there again")
            continue
        current = [copy for copy in copies if "\\Deleted" not in copy.flags]
        stale = [copy for copy in copies if "\\Deleted" in copy.flags]
        if len(current) != 1 or (stale and not old_copies_stay) or len(stale) > 1:
            problems.append(f"{key}: {len(current)} copies and {len(stale)} flagged deleted")
            continue
        message = current[0]
        wanted = set(original.flags) | set((flags_added or {}).get(key, ()))
        if set(message.flags) != wanted:
            problems.append(f"{key}: flags {sorted(message.flags)}, expected {sorted(wanted)}")
        if message.internal_date != original.internal_date:
            problems.append(f"{key}: INTERNALDATE {message.internal_date}, was {original.internal_date}")
        if sorted(message.attachment_hashes() + linked_contents(message, problems)) != original.attachment_hashes():
            problems.append(f"{key}: its attachments are neither in it nor in its links' files as they were")
        for old in stale:
            if old.body != original.body:
                problems.append(f"{key}: its old copy kept on the server is not the original")


def server_log(server, problems, what):
    problems.extend(f"server log after {what}: {line}" for line in server.errors())


def logouts(server):
    """(fetched bodies, appended) of each session's logout, in order."""
    path = os.path.join(server.dir, "info.log")
    if not os.path.exists(path):
        return []
    with open(path, errors="replace") as log:
        return [(int(match.group(1)), int(match.group(2)))
                for match in re.finditer(r"fetched bodies=(\d+) appended=(\d+)", log.read())]


def prepare_flags(server, before):
    """Flags every third message and gives every fifth a keyword, before the
    run; the messages read again."""
    connection = imap_view.imap_connect(server.port, USER, PASSWORD)
    for index, key in enumerate(sorted(before)):
        message = before[key][0]
        connection.select(imap_view.quoted(message.folder))
        if index % 3 == 0:
            connection.uid("STORE", str(message.uid), "+FLAGS", "(\\Flagged)")
        if index % 5 == 0:
            connection.uid("STORE", str(message.uid), "+FLAGS", f"({KEYWORD})")
    connection.logout()
    return read_account(server)


def save_reroot_reintroduce(scenario):
    scenario.make_mailbox(40, 4)
    with PrivateDovecot(scenario.work, scenario.mailbox, MAIL_UID, MAIL_GID, [LOGOUT_FORMAT]) as server:
        before = prepare_flags(server, read_account(server))
        with_parts = sum(1 for (message,) in before.values() if has_attachment_parts(message))
        if not 0 < with_parts < len(before):
            scenario.fail(f"the sample has {with_parts} of {len(before)} messages with attachments: it tests nothing")

        scenario.run(["save", "--mailbox", account(server), "--to", scenario.saved, "--remove", "--replace", "link",
                      "--min-size", "0", "--if-exists", "rename"], "velmora save")
        after_save = read_account(server)
        check_nothing_lost(before, after_save, scenario.problems)
        rewritten = sum(1 for key, copies in after_save.items() if copies[0].uid != before[key][0].uid)
        links = sum(len(copies[0].links()) for copies in after_save.values())
        if rewritten == 0 or links == 0:
            scenario.fail("the save rewrote nothing")
        sessions = logouts(server)
        saving = [fetched for fetched, appended in sessions if appended > 0]
        if len(saving) != 1 or saving[0] > with_parts:
            scenario.fail(f"the save's session fetched {saving} whole messages; only the {with_parts} with "
                          "attachments may be fetched")
        server_log(server, scenario.problems, "the save")

        moved = os.path.join(scenario.work, "moved")
        scenario.run(["reroot", "--mailbox", account(server), "--old-root", scenario.saved, "--new-root", moved],
                     "velmora reroot")
        after_reroot = read_account(server)
        check_nothing_lost(before, after_reroot, scenario.problems)
        for copies in after_reroot.values():
            for path in copies[0].links():
                if not path.startswith(moved + os.sep):
                    scenario.fail(f"{copies[0].key}: its link still names {path} after the re-root")

        scenario.run(["reintroduce", "--mailbox", account(server), "--delete-files"], "velmora reintroduce")
        after_reintroduce = read_account(server)
        check_nothing_lost(before, after_reintroduce, scenario.problems)
        for key, copies in after_reintroduce.items():
            if copies[0].links():
                scenario.fail(f"{key}: links left after reintroduce")
        left = [os.path.join(d, n) for d, _, names in os.walk(moved) for n in names]
        if left:
            scenario.fail(f"files left after reintroduce --delete-files: {left[:5]}")
        server_log(server, scenario.problems, "the reintroduce")
        print(f"messages {len(before)}, with attachments {with_parts}, rewritten by the save {rewritten}, "
              f"links {links}, whole messages the save fetched {saving}")


class SecondClient(threading.Thread):
    """A client that, while a run goes on, gives messages a keyword and
    expunges others, each only when the message is unchanged and not flagged
    \\Deleted since it looked (UNCHANGEDSINCE), as a careful client does; it
    remembers what the server confirmed."""

    def __init__(self, port, messages, keyword):
        super().__init__(daemon=True)
        self.port = port
        self.messages = messages
        self.keyword = keyword
        self.done = threading.Event()
        self.flagged = set()
        self.expunged = set()
        self.error = None

    def change(self, connection, message, flag):
        status, data = connection.uid("FETCH", str(message.uid), "(FLAGS MODSEQ)")
        values = self.fetched(data, message.uid) if status == "OK" else None
        if values is None:
            return False
        if "\\Deleted" in values.get("FLAGS", []):
            return False
        modseq = values["MODSEQ"][0]
        status, data = connection.uid("STORE", str(message.uid), f"(UNCHANGEDSINCE {modseq})", "+FLAGS", f"({flag})")
        if status != "OK" or any(b"MODIFIED" in item for item in data if isinstance(item, bytes)):
            return False
        values = self.fetched(data, message.uid)
        return values is not None and flag in values.get("FLAGS", [])

    @staticmethod
    def fetched(data, uid):
        """The items of the FETCH response about uid among those a command
        brought (the server adds news of other messages, such as the run's
        own changes); None when there is none."""
        responses = imap_view.parse([item for item in data if item is not None])
        for index in range(1, len(responses), 2):
            items = responses[index]
            if not isinstance(items, list):
                continue
            values = {str(items[i]).upper(): items[i + 1] for i in range(0, len(items) - 1, 2)}
            if str(values.get("UID")) == str(uid):
                return values
        return None

    def run(self):
        try:
            connection = imap_view.imap_connect(self.port, USER, PASSWORD)
            order = list(self.messages)
            random.Random(7).shuffle(order)
            for index, message in enumerate(order):
                if self.done.is_set():
                    break
                connection.select(imap_view.quoted(message.folder))
                if index % 4 == 0:
                    if self.change(connection, message, "\\Deleted"):
                        connection.expunge()
                        self.expunged.add(message.key)
                elif self.change(connection, message, self.keyword):
                    self.flagged.add(message.key)
                time.sleep(0.03)
            connection.logout()
        except (imaplib.IMAP4.error, OSError) as error:
            self.error = error


def concurrent_client(scenario):
    scenario.make_mailbox(48, 4)
    with PrivateDovecot(scenario.work, scenario.mailbox, MAIL_UID, MAIL_GID) as server:
        before = read_account(server)
        client = SecondClient(server.port, [copies[0] for copies in before.values()], "$Forwarded")
        save = subprocess.Popen([scenario.velmora, "save", "--mailbox", account(server), "--to", scenario.saved,
                                 "--remove", "--replace", "link", "--min-size", "0"], env=scenario.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        client.start()
        _, errors = save.communicate(timeout=120)
        client.done.set()
        client.join(timeout=30)
        if save.returncode != 0:
            scenario.fail(f"velmora save exited with {save.returncode}: {errors.strip()[-2000:]}")
        if client.error is not None:
            scenario.fail(f"the second client failed: {client.error}")
        after = read_account(server)
        added = {key: ["$Forwarded"] for key in client.flagged}
        # Where the server's answer left it open whether the client's expunge
        # came before the run's rewrite, velmora keeps its copy and says so.
        kept = {key for key in client.expunged
                if f"{before[key][0].folder};UID={before[key][0].uid}: another client expunged it" in errors}
        check_nothing_lost(before, after, scenario.problems, gone=client.expunged - kept, flags_added=added)
        carried = sum(1 for key in client.flagged if key in after and after[key][0].uid != before[key][0].uid)
        if not client.expunged or carried == 0:
            scenario.fail(f"the second client met the run nowhere: {len(client.expunged)} expunged, "
                          f"{carried} keywords carried by a rewrite")
        server_log(server, scenario.problems, "the save")
        print(f"messages {len(before)}, expunged by the client {len(client.expunged)}, keywords it set "
              f"{len(client.flagged)} (carried by a rewrite {carried}), messages skipped "
              f"{errors.count('Skipping')}")


def server_restart(scenario):
    scenario.make_mailbox(60, 6)
    with PrivateDovecot(scenario.work, scenario.mailbox, MAIL_UID, MAIL_GID) as server:
        before = read_account(server)
        save = subprocess.Popen([scenario.velmora, "save", "--mailbox", account(server), "--to", scenario.saved,
                                 "--remove", "--replace", "link", "--min-size", "0"], env=scenario.env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        mails = 0
        restarted = False
        for line in save.stdout:
            mails += line.startswith(" => Processing mail")
            if mails == RESTART_AT and not restarted:
                server.restart()
                restarted = True
        errors = save.stderr.read()
        save.wait(timeout=120)
        if save.returncode != 0:
            scenario.fail(f"velmora save exited with {save.returncode}: {errors.strip()[-2000:]}")
        if not restarted or "broke" not in errors or "Connected again" not in errors:
            scenario.fail(f"the restart did not meet the run (mails {mails}): {errors.strip()[-1000:]}")
        after = read_account(server)
        check_nothing_lost(before, after, scenario.problems)
        if sum(len(copies[0].links()) for copies in after.values()) == 0:
            scenario.fail("the save left no links")
        server_log(server, scenario.problems, "the save")
        print(f"messages {len(before)}, restarted at the {RESTART_AT}th of the {mails} processed; velmora said: "
              f"{[line for line in errors.splitlines() if 'onnect' in line]}")


def without_uidplus(scenario):
    scenario.make_mailbox(24, 2)
    with PrivateDovecot(scenario.work, scenario.mailbox, MAIL_UID, MAIL_GID, [NO_UIDPLUS]) as server:
        before = read_account(server)
        finished = scenario.run(["save", "--mailbox", account(server), "--to", scenario.saved, "--remove",
                                 "--replace", "link", "--min-size", "0", "--verbose"], "velmora save")
        after = read_account(server)
        check_nothing_lost(before, after, scenario.problems, old_copies_stay=True)
        kept = sum(1 for copies in after.values() if len(copies) == 2)
        warned = finished.stderr.count("no UIDPLUS")
        if kept == 0 or warned != kept:
            scenario.fail(f"{kept} old copies kept flagged deleted, {warned} warnings about them")
        if "as a new message" in finished.stderr:
            scenario.fail("a rewritten message's new UID was not found")
        server_log(server, scenario.problems, "the save")
        print(f"messages {len(before)}, old copies kept flagged deleted {kept}")


def login_and_tls(scenario):
    scenario.make_mailbox(6, 1)
    tls = TlsFiles(os.path.join(scenario.work, "tls"))
    with PrivateDovecot(scenario.work, scenario.mailbox, MAIL_UID, MAIL_GID, tls=tls) as server:
        target = ["--to", scenario.saved, "--no-remove", "--min-size", "0", "--folder", "Mail/Inbox"]
        wrong = dict(scenario.env, VELMORA_IMAP_PASSWORD="not-the-password")
        refused = scenario.run(["save", "--mailbox", account(server), "--ca-file", tls.authority, *target],
                               "velmora save with a wrong password", expect=1, env=wrong)
        if "refused the login" not in refused.stderr or "not-the-password" in refused.stdout + refused.stderr:
            scenario.fail(f"a wrong password is not told clearly: {refused.stderr.strip()}")

        imaps = account(server, server.tls_port, "imaps")
        untrusted = scenario.run(["save", "--mailbox", imaps, *target], "velmora over imaps with the system's "
                                 "authorities", expect=1)
        if "not trusted" not in untrusted.stderr:
            scenario.fail(f"an untrusted certificate is not told: {untrusted.stderr.strip()}")
        starttls = scenario.run(["save", "--mailbox", account(server), *target], "velmora over STARTTLS with "
                                "the system's authorities", expect=1)
        if "not trusted" not in starttls.stderr:
            scenario.fail(f"STARTTLS was not used, or its certificate not checked: {starttls.stderr.strip()}")

        password_file = os.path.join(scenario.work, "password")
        with open(password_file, "w") as file:
            file.write(PASSWORD + "\n")
        no_variable = dict(scenario.env)
        no_variable.pop("VELMORA_IMAP_PASSWORD")
        for url in (imaps, account(server)):
            scenario.run(["save", "--mailbox", url, "--ca-file", tls.authority, "--password-file", password_file,
                          *target], f"velmora save over {url} with the authority given", env=no_variable)
        saved = sum(len(names) for _, _, names in os.walk(scenario.saved))
        if saved == 0:
            scenario.fail("nothing was saved over TLS")
        print(f"files saved over TLS {saved}")


SCENARIOS = {
    "save-reroot-reintroduce": save_reroot_reintroduce,
    "concurrent-client": concurrent_client,
    "server-restart": server_restart,
    "without-uidplus": without_uidplus,
    "login-and-tls": login_and_tls,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--velmora", required=True)
    parser.add_argument("--generator", required=True)
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    arguments = parser.parse_args()
    if os.geteuid() != 0:
        print("skipped: needs root, to give the mailbox to a mail user")
        return SKIPPED
    # A test runner's termination still stops the server and removes the files.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    work = tempfile.mkdtemp(prefix="velmora-imap-")
    try:
        os.chmod(work, 0o755)
        scenario = Scenario(arguments, work)
        SCENARIOS[arguments.scenario](scenario)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for problem in scenario.problems:
        print(f"FAIL {problem}")
    return 1 if scenario.problems else 0


if __name__ == "__main__":
    sys.exit(main())
