#!/usr/bin/python3
"""Writes copies of the poem database scaled to N times its rows, for the store benchmarks.

Usage: /usr/bin/python3 bench/make_scaled_db.py <output dir> [factor ...]   (default 1 10 100)

Each copy has the same schema (the stored CREATE TABLE text is copied, not retyped) and the
book's 89 rows repeated N times in key order, so searches find N times the hits of the book.
The 1x copy is the book itself, vacuumed the same way as the others.
"""

import os
import sqlite3
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
BOOK = os.path.join(HERE, "..", "resources", "Tornevi.db")


def make(out_dir, factor):
    path = os.path.join(out_dir, "Tornevi_x%d.db" % factor)
    if os.path.exists(path):
        os.remove(path)
    src = sqlite3.connect("file:%s?mode=ro" % BOOK, uri=True)
    schema = src.execute("SELECT sql FROM sqlite_master WHERE name = 'tbl_Data'").fetchone()[0]
    rows = src.execute("SELECT CIM, VERS, DATUM, FOTO FROM tbl_Data ORDER BY AZ").fetchall()
    src.close()
    dst = sqlite3.connect(path)
    dst.execute("PRAGMA page_size = 4096")
    dst.execute(schema)
    with dst:
        for _ in range(factor):
            dst.executemany("INSERT INTO tbl_Data (CIM, VERS, DATUM, FOTO) VALUES (?, ?, ?, ?)", rows)
    dst.execute("VACUUM")
    count = dst.execute("SELECT COUNT(*) FROM tbl_Data").fetchone()[0]
    dst.close()
    print("%s: %d rows, %d bytes" % (path, count, os.path.getsize(path)))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for factor in [int(f) for f in sys.argv[2:]] or [1, 10, 100]:
        make(out_dir, factor)


if __name__ == "__main__":
    main()
