"""The end-to-end driver's protocol table (kvlctl.protocol) and its only reader.

The harness imports it for the requests, their arguments, the reply formats and the exit codes; the build runs it to
write kvlctl's C++ header from the same table (python3 kvlctl_protocol.py TABLE HEADER), with every reply format
already taken apart, so that kvlctl writes its replies through the formats read here and no second parser exists.

A table it cannot read exactly is refused with the line at fault: a request line holds exactly one "->" (neither an
argument nor a reply may contain one), a repeated reply line is the reply's only line and has fields, an optional
argument comes after the required ones, a "WORD..." argument comes last.
"""
import os
import re
import sys

# Field kinds of a reply line: how kvlctl writes a value and how the harness reads it back.
KINDS = {"int": int, "time": float, "ms": float, "hex": bytes.fromhex, "word": str}

NAME = re.compile(r"[a-z][a-z0-9-]*$")
ARGUMENT = re.compile(r"(\[)?([A-Za-z0-9_|]+)(\.\.\.)?(\])?$")
REPLY_WORD = re.compile(r"[a-z_]+$")
PRINTABLE = re.compile(r"[ -~]*$")


class ProtocolError(ValueError):
    pass


class Request:
    """One request: its name, its arguments' names and its reply. reply is "" (nothing), "bytes" (the bytes as they
    are) or the text of its lines; lines holds them taken apart: (repeated, [(word, None) or (field, kind)])."""

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
    """The whole table. exits: {name: code} in the table's order; greeting: the server's first line (bytes);
    posted_input_ms: how long kvlctl waits for posted input to be handled at most; requests: {name: Request} in the
    table's order."""

    def __init__(self, exits, greeting, posted_input_ms, requests):
        self.exits, self.greeting, self.posted_input_ms, self.requests = exits, greeting, posted_input_ms, requests

    def request(self, name):
        if name not in self.requests:
            raise ValueError("kvlctl has no request %r (see kvlctl.protocol)" % name)
        return self.requests[name]

    @staticmethod
    def encode(args):
        """A request line: each argument "=" and its bytes in hexadecimal."""
        enc = [a if isinstance(a, bytes) else str(a).encode("latin-1") for a in args]
        return b" ".join(b"=" + a.hex().encode() for a in enc) + b"\n"


def _entries(lines, where):
    """(line number, whole entry) pairs: comment and empty lines left out, a line that starts with a blank joined to
    the one before it."""
    entries = []
    for number, line in enumerate(lines, 1):
        line = line.rstrip("\n")
        if line.startswith("#") or not line.strip():
            continue
        if not PRINTABLE.match(line.replace("\t", " ")):
            raise ProtocolError("%s:%d: only printable ASCII is allowed: %r" % (where, number, line))
        if line[0] in " \t":
            if not entries:
                raise ProtocolError("%s:%d: a continuation line with nothing before it" % (where, number))
            entries[-1][1] += " " + line.strip()
        else:
            entries.append([number, line])
    return entries


def _arguments(words, fail):
    optional_seen = False
    for i, word in enumerate(words):
        m = ARGUMENT.match(word)
        if not m or bool(m.group(1)) != bool(m.group(4)) or (m.group(1) and m.group(3)):
            fail("an argument is WORD, [WORD] or WORD...: %r" % word)
        if m.group(3) and i != len(words) - 1:
            fail("%r takes the arguments that are left, so it comes last" % word)
        if m.group(1):
            optional_seen = True
        elif optional_seen:
            fail("the required argument %r comes after an optional one" % word)
    return words


def _reply_lines(reply, fail):
    if reply in ("", "bytes"):
        return []
    lines = []
    for text in reply.split(" | "):
        repeated = text.startswith("*")
        tokens = []
        for token in (text[1:] if repeated else text).split(" "):
            name, colon, kind = token.partition(":")
            if not REPLY_WORD.match(name) or (colon and kind not in KINDS):
                fail("a reply token is a lower-case word or NAME:KIND, KIND one of %s: %r" % (", ".join(KINDS), token))
            tokens.append((name, kind if colon else None))
        if repeated and not any(kind for _, kind in tokens):
            fail("a repeated line without fields would never end")
        lines.append((repeated, tokens))
    if any(repeated for repeated, _ in lines) and len(lines) > 1:
        fail("a repeated line is the reply's only line")
    return lines


def parse(lines, where="kvlctl.protocol"):
    """The Protocol of the table's lines; ProtocolError naming the line for anything it cannot read exactly."""
    exits, requests = {}, {}
    greeting = posted_input_ms = None
    for number, entry in _entries(lines, where):
        def fail(what):
            raise ProtocolError("%s:%d: %s: %r" % (where, number, what, entry))

        kind, _, rest = entry.partition(" ")
        if kind == "exit":
            m = re.match(r"([a-z][a-z-]*) ([0-9]+)$", rest)
            if not m or m.group(1) in exits:
                fail("an exit is a new name and its code")
            exits[m.group(1)] = int(m.group(2))
        elif kind == "greeting":
            if greeting is not None or not rest.strip():
                fail("one greeting, not empty")
            greeting = rest.encode()
        elif kind == "posted-input-ms":
            if posted_input_ms is not None or not re.match(r"[0-9]+$", rest):
                fail("one posted-input-ms, a number")
            posted_input_ms = int(rest)
        elif kind == "request":
            if rest.count("->") != 1:
                fail("a request line holds exactly one \"->\"")
            head, _, reply = rest.partition("->")
            reply = reply.strip()
            name, *arguments = head.split() or [""]
            if not NAME.match(name) or name in requests:
                fail("a request is a new lower-case name")
            requests[name] = Request(name, _arguments(arguments, fail), reply, _reply_lines(reply, fail))
        else:
            fail("an entry of no known kind")
    if greeting is None or posted_input_ms is None or not exits or not requests:
        raise ProtocolError("%s: exits, the greeting, posted-input-ms and requests are all needed" % where)
    return Protocol(exits, greeting, posted_input_ms, requests)


def load(path):
    with open(path, encoding="ascii", errors="replace") as table:
        return parse(table, os.path.basename(path))


# ------------------------------------------------------------------------------------------------ kvlctl's header


def _identifier(prefix, name):
    return prefix + name.upper().replace("-", "_")


def _c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def header(protocol):
    """kvlctl's C++ header: the exit codes, the greeting, the posted-input bound and each request with its argument
    counts and its reply's lines and tokens, in the table's order."""
    out = ["// The end-to-end driver's protocol, written by tests/e2e/kvlctl_protocol.py from tests/e2e/kvlctl.protocol:",
           "// edit that table, not this file.",
           "#pragma once", "", "namespace protocol {", "", "enum Exit : int {"]
    out += ["    %s = %d," % (_identifier("EXIT_", name), code) for name, code in protocol.exits.items()]
    out += ["};", "",
            "const char kGreeting[] = %s;" % _c_string(protocol.greeting.decode()),
            "const unsigned long kPostedInputMs = %d;" % protocol.posted_input_ms, "",
            "enum Request : int {"]
    out += ["    %s," % _identifier("REQUEST_", name) for name in protocol.requests]
    out += ["};", "const int kRequestCount = %d;" % len(protocol.requests), "",
            "// A token of a reply line: a word that stands for itself (FIELD_NONE) or a field of a kind.",
            "enum FieldKind : int { FIELD_NONE, %s };" % ", ".join(_identifier("FIELD_", k) for k in KINDS),
            "const char* const kFieldKindNames[] = {\"\", %s};" % ", ".join(_c_string(k) for k in KINDS),
            "struct Token {", "    const char* text;", "    FieldKind kind;", "};",
            "struct ReplyLine {", "    const Token* tokens;", "    int tokenCount;",
            "    bool repeated;  // comes zero or more times (then it is the reply's only line)", "};",
            "enum ReplyShape : int { REPLY_NOTHING, REPLY_BYTES, REPLY_LINES };",
            "struct RequestFormat {", "    const char* name;", "    const char* arguments;",
            "    int leastArguments;", "    int mostArguments;  // -1: no limit", "    ReplyShape shape;",
            "    const ReplyLine* lines;", "    int lineCount;", "};", ""]
    rows = []
    for name, request in protocol.requests.items():
        ident = _identifier("", name).lower()
        lines = []
        for i, (repeated, tokens) in enumerate(request.lines):
            cells = ", ".join("{%s, %s}" % (_c_string(text), _identifier("FIELD_", kind) if kind else "FIELD_NONE")
                              for text, kind in tokens)
            out.append("const Token kTokens_%s_%d[] = {%s};" % (ident, i, cells))
            lines.append("{kTokens_%s_%d, %d, %s}" % (ident, i, len(tokens), "true" if repeated else "false"))
        if lines:
            out.append("const ReplyLine kLines_%s[] = {%s};" % (ident, ", ".join(lines)))
        shape = "REPLY_BYTES" if request.reply == "bytes" else "REPLY_LINES" if lines else "REPLY_NOTHING"
        rows.append("    {%s, %s, %d, %d, %s, %s, %d}," % (
            _c_string(name), _c_string(" ".join(request.arguments)), request.least,
            -1 if request.most is None else request.most, shape, "kLines_" + ident if lines else "nullptr",
            len(lines)))
    out += ["", "const RequestFormat kRequests[kRequestCount] = {"] + rows + ["};", "", "}  // namespace protocol", ""]
    return "\n".join(out)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: kvlctl_protocol.py TABLE HEADER\n")
        return 2
    try:
        text = header(load(argv[1]))
    except ProtocolError as e:
        sys.stderr.write("%s\n" % e)
        return 1
    os.makedirs(os.path.dirname(os.path.abspath(argv[2])), exist_ok=True)
    with open(argv[2], "w") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
