"""The end-to-end driver's protocol table (kvlctl.protocol) and its only reader.

The harness imports it for the requests, their arguments, the reply formats and the exit codes; the build runs it to
write kvlctl's C++ header from the same table (python3 kvlctl_protocol.py TABLE HEADER), every reply format already
taken apart, so that kvlctl writes its replies through the formats read here and no second parser exists.

A table it cannot read exactly is refused, naming the line: a request line holds exactly one "->" (neither an argument
nor a reply holds one), a repeated reply line is the reply's only line and has fields, an optional argument comes
after the required ones, a "WORD..." argument comes last.
"""
import os
import re
import sys

# Field kinds of a reply line: how the harness reads back what kvlctl writes.
KINDS = {"int": int, "time": float, "ms": float, "hex": bytes.fromhex, "word": str}
ARGUMENT = re.compile(r"(\[[\w|]+\]|[\w|]+(\.\.\.)?)$")


class ProtocolError(ValueError):
    pass


class Request:
    """One request: its name, its arguments' names and its reply: "" (nothing), "bytes" (the bytes as they are) or
    lines, taken apart in lines: (repeated, [(word, None) or (field, kind)])."""

    def __init__(self, name, arguments, reply, lines):
        self.name, self.arguments, self.reply, self.lines = name, arguments, reply, lines
        # Requests that reach a program's window name it by its main window's caption, first.
        self.targets_window = arguments[:1] == ["CAPTION"]
        self.least = sum(1 for a in arguments if not a.startswith("["))
        self.most = None if arguments and arguments[-1].endswith("...") else len(arguments)

    def decode(self, out):
        """A reply's fields: the bytes themselves for a "bytes" reply, a list of dicts for a repeated line, otherwise
        one dict of the fields of every line the reply holds (a reply may end after any whole line)."""
        if self.reply == "bytes":
            return out
        rows, fields, at = [], {}, 0
        for text in out.decode("latin-1").split("\n")[:-1]:
            if at == len(self.lines):
                raise ValueError("kvlctl %s: more lines than the protocol table has: %r" % (self.name, out))
            repeated, tokens = self.lines[at]
            values = text.split(" ")
            if len(values) != len(tokens):
                raise ValueError("kvlctl %s: %r is no line %r" % (self.name, text, tokens))
            row = {}
            for value, (name, kind) in zip(values, tokens):
                if kind is None and value != name:
                    raise ValueError("kvlctl %s: %r where the protocol table has %r" % (self.name, value, name))
                if kind is not None:
                    row[name] = KINDS[kind](value)
            if repeated:
                rows.append(row)
            else:
                fields.update(row)
                at += 1
        return rows if self.lines and self.lines[0][0] else fields


class Protocol:
    """The whole table. exits: {name: code}; greeting: the server's first line (bytes); posted_input_ms: how long
    kvlctl waits for posted input to be handled at most; requests: {name: Request}; both dicts in the table's order."""

    def __init__(self):
        self.exits, self.requests, self.greeting, self.posted_input_ms = {}, {}, None, None

    def request(self, name):
        if name not in self.requests:
            raise ValueError("kvlctl has no request %r (see kvlctl.protocol)" % name)
        return self.requests[name]

    @staticmethod
    def encode(args):
        """A request line: each argument "=" and its bytes in hexadecimal."""
        enc = [a if isinstance(a, bytes) else str(a).encode("latin-1") for a in args]
        return b" ".join(b"=" + a.hex().encode() for a in enc) + b"\n"


def _reply_lines(reply, fail):
    lines = []
    for text in reply.split(" | ") if reply not in ("", "bytes") else []:
        tokens = [(name, kind or None) for name, _, kind in (t.partition(":") for t in text.lstrip("*").split(" "))]
        if any(not re.match(r"[a-z_]+$", name) or (kind and kind not in KINDS) for name, kind in tokens):
            fail("a reply token is a lower-case word or NAME:KIND, KIND one of " + ", ".join(KINDS))
        if text.startswith("*") and not any(kind for _, kind in tokens):
            fail("a repeated line without fields would never end")
        lines.append((text.startswith("*"), tokens))
    if len(lines) > 1 and any(repeated for repeated, _ in lines):
        fail("a repeated line is the reply's only line")
    return lines


def _request(protocol, rest, fail):
    if rest.count("->") != 1:
        fail('a request line holds exactly one "->"')
    head, _, reply = (part.strip() for part in rest.partition("->"))
    name, *arguments = head.split() or [""]
    if not re.match(r"[a-z][a-z0-9-]*$", name) or name in protocol.requests:
        fail("a request is a new lower-case name")
    if not all(ARGUMENT.match(a) for a in arguments):
        fail("an argument is WORD, [WORD] or WORD...")
    if any(a.endswith("...") for a in arguments[:-1]):
        fail("a WORD... argument takes the arguments that are left, so it comes last")
    if any(a.startswith("[") and not b.startswith("[") for a, b in zip(arguments, arguments[1:])):
        fail("a required argument comes after an optional one")
    protocol.requests[name] = Request(name, arguments, reply, _reply_lines(reply, fail))


def parse(lines, where="kvlctl.protocol"):
    """The Protocol of the table's lines; ProtocolError naming the line for anything it cannot read exactly."""
    entries = []  # [line number, whole entry]: a line that starts with a blank goes on with the one before it
    for number, line in enumerate(lines, 1):
        line = line.rstrip("\n")
        if line.startswith("#") or not line.strip():
            continue
        if not re.match(r"[ -~\t]*$", line) or (line[0] in " \t" and not entries):
            raise ProtocolError("%s:%d: printable ASCII, and no continuation first: %r" % (where, number, line))
        if line[0] in " \t":
            entries[-1][1] += " " + line.strip()
        else:
            entries.append([number, line])
    protocol = Protocol()
    for number, entry in entries:
        def fail(what):
            raise ProtocolError("%s:%d: %s: %r" % (where, number, what, entry))

        kind, _, rest = entry.partition(" ")
        if kind == "exit":
            m = re.match(r"([a-z][a-z-]*) ([0-9]+)$", rest)
            if not m or m.group(1) in protocol.exits:
                fail("an exit is a new name and its code")
            protocol.exits[m.group(1)] = int(m.group(2))
        elif kind == "greeting" and protocol.greeting is None and rest.strip():
            protocol.greeting = rest.encode()
        elif kind == "posted-input-ms" and protocol.posted_input_ms is None and rest.isdigit():
            protocol.posted_input_ms = int(rest)
        elif kind == "request":
            _request(protocol, rest, fail)
        else:
            fail("an entry of no known kind, or one given twice")
    if None in (protocol.greeting, protocol.posted_input_ms) or not protocol.exits or not protocol.requests:
        raise ProtocolError("%s: exits, the greeting, posted-input-ms and requests are all needed" % where)
    return protocol


def load(path):
    with open(path, encoding="ascii", errors="replace") as table:
        return parse(table, os.path.basename(path))


HEADER = """\
// The end-to-end driver's protocol, written by tests/e2e/kvlctl_protocol.py from tests/e2e/kvlctl.protocol: edit
// that table, not this file.
#pragma once

namespace protocol {

enum Exit : int { %(exits)s };
const char kGreeting[] = %(greeting)s;
const unsigned long kPostedInputMs = %(posted)d;

enum Request : int { %(ids)s };
const int kRequestCount = %(count)d;

// A token of a reply line: a word that stands for itself (FIELD_NONE) or a field of a kind.
enum FieldKind : int { FIELD_NONE, %(kinds)s };
const char* const kFieldKindNames[] = {"", %(kind_names)s};
struct Token {
    const char* text;
    FieldKind kind;
};
struct ReplyLine {
    const Token* tokens;
    int tokenCount;
    bool repeated;  // comes zero or more times (and is then the reply's only line)
};
enum ReplyShape : int { REPLY_NOTHING, REPLY_BYTES, REPLY_LINES };
struct RequestFormat {
    const char* name;
    const char* arguments;
    int leastArguments;
    int mostArguments;  // -1: no limit
    ReplyShape shape;
    const ReplyLine* lines;
    int lineCount;
};

%(lines)s
const RequestFormat kRequests[kRequestCount] = {
%(requests)s};

}  // namespace protocol
"""


def header(protocol):
    """kvlctl's C++ header (HEADER filled in from the table)."""
    def ident(prefix, name):
        return prefix + name.upper().replace("-", "_")

    def c_string(text):
        return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')

    lines, rows = [], []
    for name, r in protocol.requests.items():
        table = "kLines_" + ident("", name).lower()
        for i, (repeated, tokens) in enumerate(r.lines):
            lines.append("const Token %s_%d[] = {%s};" % (table, i, ", ".join(
                "{%s, %s}" % (c_string(t), ident("FIELD_", k or "none")) for t, k in tokens)))
        if r.lines:
            lines.append("const ReplyLine %s[] = {%s};" % (table, ", ".join(
                "{%s_%d, %d, %s}" % (table, i, len(tokens), str(rep).lower()) for i, (rep, tokens) in enumerate(r.lines))))
        shape = "REPLY_BYTES" if r.reply == "bytes" else "REPLY_LINES" if r.lines else "REPLY_NOTHING"
        rows.append("    {%s, %s, %d, %d, %s, %s, %d}," % (c_string(name), c_string(" ".join(r.arguments)), r.least,
                                                          -1 if r.most is None else r.most, shape,
                                                          table if r.lines else "nullptr", len(r.lines)))
    return HEADER % {
        "exits": ", ".join("%s = %d" % (ident("EXIT_", n), c) for n, c in protocol.exits.items()),
        "greeting": c_string(protocol.greeting.decode()), "posted": protocol.posted_input_ms,
        "ids": ", ".join(ident("REQUEST_", n) for n in protocol.requests), "count": len(protocol.requests),
        "kinds": ", ".join(ident("FIELD_", k) for k in KINDS), "kind_names": ", ".join(map(c_string, KINDS)),
        "lines": "\n".join(lines), "requests": "\n".join(rows)}


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: kvlctl_protocol.py TABLE HEADER")
    try:
        text = header(load(sys.argv[1]))
    except ProtocolError as e:
        sys.exit(str(e))
    os.makedirs(os.path.dirname(os.path.abspath(sys.argv[2])), exist_ok=True)
    with open(sys.argv[2], "w") as out:
        out.write(text)
