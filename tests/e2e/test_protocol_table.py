#!/usr/bin/env python3
"""The driver's protocol table reader (kvlctl_protocol.py): the table as it stands reads, and each kind of line it
cannot read exactly stops it, naming the line, instead of being read one way for kvlctl and another for the harness.
Needs neither root nor Wine."""
import os
import unittest

import kvlctl_protocol as P

HEAD = ["exit ok 0", "greeting kvlctl serving", "posted-input-ms 100"]

REFUSED = [
    ("two arrows", "request a CAPTION -> x:int -> y:int"),
    ("no arrow", "request a CAPTION"),
    ("a field of no known kind", "request a CAPTION -> x:float"),
    ("a repeated line without fields", "request a -> *row"),
    ("a line after a repeated one", "request a -> *x:int | y y:int"),
    ("a required argument after an optional one", "request a [X] Y ->"),
    ("WORD... before another argument", "request a X... Y ->"),
    ("an unclosed optional argument", "request a [X ->"),
    ("a request named twice", "request a ->\nrequest a ->"),
    ("an exit named twice", "exit ok 1"),
    ("a second greeting", "greeting again"),
    ("an entry of no known kind", "reply a"),
    ("a continuation with nothing before it", None),
]


class ProtocolTableTests(unittest.TestCase):
    def test_the_table_reads_and_makes_a_header(self):
        table = P.load(os.path.join(os.path.dirname(os.path.abspath(__file__)), "kvlctl.protocol"))
        self.assertEqual(table.request("window-state").lines[0], (False, [("exists", None), ("exists", "int")]))
        self.assertEqual((table.request("post-key").least, table.request("post-key").most), (3, None))
        self.assertEqual((table.request("click").least, table.request("click").most), (2, 3))
        self.assertIn("{\"exit\", \"\", 0, 0, REPLY_NOTHING, nullptr, 0},", P.header(table))

    def test_lines_it_cannot_read_are_refused_by_number(self):
        for what, line in REFUSED:
            with self.subTest(what):
                lines = ["  request a ->"] + HEAD if line is None else HEAD + line.split("\n")
                with self.assertRaisesRegex(P.ProtocolError, r"^t:\d+: "):
                    P.parse(lines, "t")


if __name__ == "__main__":
    unittest.main()
