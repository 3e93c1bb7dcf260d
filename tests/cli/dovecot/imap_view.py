"""What an IMAP client sees of a mailbox: every message with its flags, size,
structure, content and parts, read through Python's imaplib, and the checks
that what it sees is whole."""

import base64
import email
import email.policy
import email.utils
import hashlib
import imaplib
import re

TOKEN = re.compile(rb'\s*(?:(\()|(\))|"((?:[^"\\]|\\.)*)"|\{(\d+)\}$|([^\s()"]+))')


class ResponseError(Exception):
    pass


def tokens(items):
    """The tokens of an imaplib response: '(' and ')' as themselves, strings
    and literals as bytes, atoms as str."""
    for item in items:
        text, literal = (item if isinstance(item, tuple) else (item, None))
        position = 0
        while position < len(text):
            match = TOKEN.match(text, position)
            if match is None or match.end() == position:
                if text[position:].strip():
                    raise ResponseError(f"cannot read {text[position:]!r}")
                break
            position = match.end()
            opening, closing, quoted, literal_size, atom = match.groups()
            if opening:
                yield "("
            elif closing:
                yield ")"
            elif quoted is not None:
                yield re.sub(rb'\\(.)', rb'\1', quoted)
            elif literal_size is not None:
                if literal is None or len(literal) != int(literal_size):
                    raise ResponseError("a literal is missing")
                yield literal
            else:
                yield atom.decode("ascii", "replace")


def parse(items):
    """The response as nested lists: lists for parenthesised groups."""
    stack = [[]]
    for token in tokens(items):
        if token == "(":
            stack.append([])
        elif token == ")":
            if len(stack) == 1:
                raise ResponseError("unbalanced parentheses")
            group = stack.pop()
            stack[-1].append(group)
        else:
            stack[-1].append(None if token == "NIL" else token)
    if len(stack) != 1:
        raise ResponseError("unbalanced parentheses")
    return stack[0]


def fetch(connection, uids, items):
    """UID FETCH: a dict of attributes by UID."""
    status, data = connection.uid("FETCH", uids, items)
    if status != "OK":
        raise ResponseError(f"FETCH {items} failed: {data}")
    parsed = parse([item for item in data if item is not None])
    result = {}
    for position in range(0, len(parsed) - 1, 2):
        attributes = parsed[position + 1]
        values = {attributes[i].upper(): attributes[i + 1] for i in range(0, len(attributes) - 1, 2)}
        result[int(values["UID"])] = values
    return result


def text(value):
    return value.decode("utf-8", "replace") if isinstance(value, bytes) else value


def leaf_parts(structure, prefix=""):
    """(part number, content type, parameters, size) of every part that is
    no multipart, in the numbering of IMAP."""
    if isinstance(structure[0], list):
        # A multipart: its parts, then its subtype and extension data.
        for index, child in enumerate(structure[:_part_count(structure)], start=1):
            yield from leaf_parts(child, f"{prefix}.{index}" if prefix else str(index))
        return
    number = prefix or "1"
    content_type = f"{text(structure[0])}/{text(structure[1])}".lower()
    parameters = {}
    if isinstance(structure[2], list):
        for i in range(0, len(structure[2]) - 1, 2):
            parameters[text(structure[2][i]).lower()] = text(structure[2][i + 1])
    yield number, content_type, parameters, int(structure[6])
    if content_type == "message/rfc822" and isinstance(structure[8], list):
        inner = structure[8]
        yield from leaf_parts(inner, number if isinstance(inner[0], list) else number + ".1")


def _part_count(multipart):
    count = 0
    while count < len(multipart) and isinstance(multipart[count], list):
        count += 1
    return count


def lf_form(crlf_bytes):
    return crlf_bytes.replace(b"\r\n", b"\n")


class Message:
    def __init__(self, folder, uid, values):
        self.folder = folder
        self.uid = uid
        self.flags = sorted(flag for flag in values["FLAGS"] if flag != "\\Recent")
        self.size = int(values["RFC822.SIZE"])
        self.internal_date = text(values.get("INTERNALDATE"))
        self.structure = values["BODYSTRUCTURE"]
        self.body = values["BODY[]"]
        parsed = email.message_from_bytes(lf_form(self.body), policy=email.policy.compat32)
        self.message_id = (parsed.get("Message-ID") or "").strip()
        self.key = (folder, self.message_id)

    def attachment_hashes(self):
        """What each attachment holds (a part with a file name or an
        attachment disposition: its decoded bytes; an attached message: see
        message_digest), sorted. Links, and the header of the part each
        stands for, are none."""
        contents = []

        def visit(part):
            content_type = part.get_content_type()
            if content_type == "message/external-body":
                return
            if content_type == "message/rfc822" and (part.get_filename() or part.get_content_disposition()):
                contents.append(message_digest(part.get_payload(0)))
            elif part.is_multipart():
                for inner in part.get_payload():
                    visit(inner)
            elif part.get_filename() or part.get_content_disposition() == "attachment":
                contents.append(part.get_payload(decode=True) or b"")

        visit(email.message_from_bytes(lf_form(self.body), policy=email.policy.compat32))
        return sorted(contents)

    def links(self):
        """The paths that the link parts name."""
        return [path for path, _ in self.linked_parts()]

    def linked_parts(self):
        """(path, content type of the part it stands for) of each link part."""
        parsed = email.message_from_bytes(lf_form(self.body), policy=email.policy.compat32)
        found = []
        for part in parsed.walk():
            if part.get_content_type() == "message/external-body":
                inner = part.get_payload()
                described = inner[0].get_content_type() if isinstance(inner, list) and inner else ""
                found.append((email.utils.collapse_rfc2231_value(part.get_param("name", "")), described))
        return found


def message_digest(message):
    """What an attached message holds, whichever way it was written: its
    subject and the decoded bytes of its parts."""
    leaves = sorted(hashlib.sha256(part.get_payload(decode=True) or b"").hexdigest()
                    for part in message.walk() if not part.is_multipart())
    return ("message/rfc822 " + str(message.get("Subject")) + " " + " ".join(leaves)).encode()


def linked_content(path, content_type):
    """What the file a link names holds, as attachment_hashes counts it."""
    with open(path, "rb") as file:
        content = file.read()
    if content_type == "message/rfc822":
        return message_digest(email.message_from_bytes(lf_form(content), policy=email.policy.compat32))
    return content


def folders(connection):
    status, data = connection.list('""', '"Mail/*"')
    if status != "OK":
        raise ResponseError(f"LIST failed: {data}")
    names = []
    # Each LIST line is "(flags) delimiter name".
    for line in data:
        flags, _, name = parse([line])
        if "\\Noselect" not in flags and "\\NonExistent" not in flags:
            names.append(text(name))
    return sorted(names)


def folder_on_disk(name):
    """The directory of an IMAP folder of the tree: below "Mail/", its name
    in modified UTF-7 decoded (the server writes the tree in UTF-8)."""
    def decode(match):
        run = match.group(1)
        if not run:
            return "&"
        data = run.replace(",", "/").encode("ascii")
        return base64.b64decode(data + b"=" * (-len(data) % 4)).decode("utf-16-be")
    return re.sub(r"&([A-Za-z0-9+,]*)-", decode, name.split("/", 1)[1])


def quoted(name):
    return '"' + name.replace("\\", "\\\\").replace('"', '\\"') + '"'


def read_folder(connection, folder):
    status, data = connection.select(quoted(folder), readonly=False)
    if status != "OK":
        raise ResponseError(f"SELECT {folder} failed: {data}")
    if int(data[0]) == 0:
        return []
    values = fetch(connection, "1:*", "(UID FLAGS INTERNALDATE RFC822.SIZE BODYSTRUCTURE BODY.PEEK[])")
    return [Message(folder, uid, values[uid]) for uid in sorted(values)]


def read_all(connection):
    messages = []
    for folder in folders(connection):
        messages.extend(read_folder(connection, folder))
    return messages


def check_parts(connection, message, problems):
    """Every part fetched on its own is the part as it stands in the whole
    message, with the size the structure gives; the server keeps no stale
    offsets."""
    whole = message.body
    wanted = []
    for number, _, _, _ in leaf_parts(message.structure):
        wanted.append(f"BODY.PEEK[{number}]")
        if "." in number or isinstance(message.structure[0], list):
            wanted.append(f"BODY.PEEK[{number}.MIME]")
    connection.select(quoted(message.folder))
    values = fetch(connection, str(message.uid), "(" + " ".join(wanted) + ")")[message.uid]
    for number, content_type, _, size in leaf_parts(message.structure):
        content = values.get(f"BODY[{number}]")
        if content is None:
            problems.append(f"{message.key}: part {number} not served")
            continue
        if content_type != "message/rfc822" and len(content) != size:
            problems.append(f"{message.key}: part {number} has {len(content)} bytes, its structure says {size}")
        header = values.get(f"BODY[{number}.MIME]", b"")
        if (header + content) not in whole:
            problems.append(f"{message.key}: part {number} served is not the part in the message")


def imap_connect(port, user, password):
    connection = imaplib.IMAP4("127.0.0.1", port, timeout=30)
    connection.login(user, password)
    return connection
