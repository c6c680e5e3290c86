#!/usr/bin/env python3
"""Generates the benchmark's mails: COUNT files N.eml (CR LF line ends) in DEST.

Realistic mixed content, the same on every run (fixed seed): Japanese prose from the
Japanese manual pages (manpages-ja) and English prose, sent as ISO-2022-JP 7bit,
Shift_JIS and EUC-JP 8bit, UTF-8 quoted-printable or base64, US-ASCII, some
multipart/alternative mails with an HTML part, HTML-only newsletters in quoted-printable,
Latin-1 8bit mails with accented letters, and mails forwarded as an attached message. Subjects and sender names are encoded
words; some subjects carry a mailing-list tag. Bodies run from a few lines to a few KB,
with runs of blanks, full-width spaces and empty lines for the clean-ups to work on.

Usage: gen_mails.py DEST [COUNT]   (COUNT defaults to 10000)
"""
import email.charset
import email.policy
import glob
import gzip
import os
import random
import re
import sys
from datetime import datetime, timedelta, timezone
from email.header import Header
from email.mime.message import MIMEMessage
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
from email.utils import formataddr, format_datetime

for name in ("shift_jis", "euc-jp"):
    email.charset.add_charset(name, email.charset.BASE64, None, name)

ENGLISH = """The quarterly report is attached for your review. Please send any comments
before Friday so that we can finalise the numbers. The build server was restarted
last night after the disk filled up; all jobs have been queued again. Thanks to
everyone who joined the meeting today. The minutes are below, and the action items
are assigned to the owners listed next to each point. Remember that the office will
be closed on Monday for the holiday. If you need access to the test machines, ask
the operations team at least one day in advance.""".split("\n")

JAPANESE_NAMES = ["山田 太郎", "鈴木 花子", "佐藤 次郎", "高橋 三郎", "田中 美咲", "伊藤 健",
                  "渡辺 由美", "中村 大輔", "小林 さくら", "加藤 誠"]
ENGLISH_NAMES = ["Alice Smith", "Bob Jones", "Carol White", "Dave Brown", "Eve Green"]


def japanese_lines():
    """Plain text lines of the Japanese manual pages, roff requests removed."""
    lines = []
    for path in sorted(glob.glob("/usr/share/man/ja/man1/*.gz"))[:200]:
        try:
            text = gzip.open(path).read().decode("utf-8")
        except (OSError, UnicodeDecodeError):
            continue
        for line in text.splitlines():
            if line.startswith((".", "'")) or not line.strip():
                continue
            line = re.sub(r"\\f[BIRP]|\\[-e&(]|\\\*.|\\", "", line).strip()
            try:
                line.encode("euc_jp")
                line.encode("shift_jis")
                line.encode("iso2022_jp")
            except UnicodeEncodeError:
                continue
            if any(ord(c) > 0x3000 for c in line):
                lines.append(line)
    if not lines:
        sys.exit("gen_mails.py: no Japanese manual pages found (install manpages-ja)")
    return lines


def body_text(rng, source, japanese):
    out = []
    for _ in range(rng.randint(3, 40)):
        line = rng.choice(source)
        roll = rng.random()
        if roll < 0.08:
            line = line.replace(" ", "    ")  # runs of blanks
        elif roll < 0.12 and japanese:
            line = "　　" + line  # full-width indentation
        out.append(line)
        if rng.random() < 0.15:
            out.extend([""] * rng.randint(1, 4))  # runs of empty lines
    return "\n".join(out) + "\n"


def make_mail(rng, i, jp_lines, start):
    kind = rng.choices(["jis", "sjis", "euc", "qp", "b64", "ascii", "alt", "html", "latin1",
                        "fwd"], [35, 15, 8, 12, 8, 14, 8, 4, 3, 3])[0]
    japanese = kind not in ("ascii", "alt", "latin1") and rng.random() < 0.9
    source = jp_lines if japanese else ENGLISH
    body = body_text(rng, source, japanese)
    name = rng.choice(JAPANESE_NAMES if japanese else ENGLISH_NAMES)
    subject = rng.choice(source)[:40]
    if rng.random() < 0.2:
        subject = f"[ml:{rng.randint(1, 9999)}] " + subject
    charset = {"jis": "iso-2022-jp", "sjis": "shift_jis", "euc": "euc-jp", "qp": "utf-8",
               "b64": "utf-8", "ascii": "us-ascii", "alt": "us-ascii", "html": "utf-8",
               "latin1": "iso-8859-1", "fwd": "utf-8"}[kind]
    if kind == "latin1":
        body = body.replace("e", "\u00e9", 3).replace("u", "\u00fc", 2)
    if kind == "html":
        paragraphs = "".join(f"<p>{line}</p>\n" for line in body.split("\n") if line)
        html = ("<html><head><style>p {margin: 0}</style></head><body>" + paragraphs +
                '<a href="https://example.jp/news">More</a></body></html>')
        cs = email.charset.Charset("utf-8")
        cs.body_encoding = email.charset.QP
        msg = MIMEText(html, "html", cs)
    elif kind == "fwd":
        cs = email.charset.Charset("utf-8")
        cs.body_encoding = email.charset.BASE64
        inner = MIMEText(body, "plain", cs)
        inner["From"] = f"forwarded{i % 13}@example.jp"
        inner["Subject"] = "forwarded"
        inner["Date"] = format_datetime(start)
        msg = MIMEMultipart("mixed", boundary=f"f{i}")
        msg.attach(MIMEMessage(inner))
    elif kind == "latin1":
        msg = MIMEText(body, "plain", "iso-8859-1")
    elif kind == "alt":
        msg = MIMEMultipart("alternative", boundary=f"b{i}")
        msg.attach(MIMEText(body, "plain", "us-ascii"))
        msg.attach(MIMEText("<html><body><pre>" + body + "</pre></body></html>", "html",
                            "us-ascii"))
    else:
        cs = email.charset.Charset(charset)
        cs.body_encoding = {"qp": email.charset.QP, "b64": email.charset.BASE64}.get(kind)
        msg = MIMEText(body, "plain", cs)
    header_charset = "iso-2022-jp" if japanese and kind != "qp" else "utf-8"
    msg["From"] = formataddr((Header(name, header_charset).encode(), f"user{i % 97}@example.jp"))
    msg["To"] = "you@example.jp"
    msg["Subject"] = Header(subject, header_charset).encode() if not subject.isascii() else subject
    msg["Date"] = format_datetime(start + timedelta(minutes=7 * i))
    msg["Message-ID"] = f"<bench{i}@vesko.example>"
    return msg.as_bytes(policy=email.policy.compat32.clone(linesep="\r\n"))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    dest = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    os.makedirs(dest, exist_ok=True)
    rng = random.Random(20261207)
    jp_lines = japanese_lines()
    start = datetime(2026, 1, 1, 9, 0, tzinfo=timezone(timedelta(hours=9)))
    total = 0
    for i in range(1, count + 1):
        data = make_mail(rng, i, jp_lines, start)
        total += len(data)
        with open(os.path.join(dest, f"{i}.eml"), "wb") as f:
            f.write(data)
    print(f"gen_mails.py: {count} mails, {total / 1e6:.1f} MB in {dest}")


if __name__ == "__main__":
    main()
