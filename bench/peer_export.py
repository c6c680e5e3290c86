#!/usr/bin/env python3
"""The comparison peer of the export benchmark: the same job done with Python's email
package and Debian's txt2pdbdoc. Reads every *.eml in FOLDER (as gen_mails.py writes
them), decodes sender, subject, date and the text part, applies the clean-ups (runs of
blanks, full-width spaces and empty lines; full-width letters, digits and katakana to
half-width), writes the "From:/Subject:/Date:" + body text in Shift JIS and compresses it
into a Doc e-book with txt2pdbdoc. Prints mails per second and peak memory.

Usage: peer_export.py FOLDER [OUT.pdb]
"""
import email
import email.header
import email.policy
import email.utils
import glob
import os
import re
import resource
import subprocess
import sys
import tempfile
import time
import unicodedata

BLANKS = re.compile(r"[ \t]+")
WIDE_SPACES = re.compile("\u3000+")
EMPTY_LINES = re.compile(r"(\r\n){3,}")


def header_text(value):
    if value is None:
        return ""
    try:
        return str(email.header.make_header(email.header.decode_header(value)))
    except (UnicodeDecodeError, LookupError, email.errors.HeaderParseError):
        return str(value)


def to_half_width(text):
    # NFKC maps full-width ASCII and katakana to their half-width forms' base letters;
    # close enough to the plug-in's table for a timing comparison.
    return "".join(unicodedata.normalize("NFKC", c) if "\uff01" <= c <= "\uff5e" else c
                   for c in text)


def body_text(msg):
    part = next((p for p in msg.walk() if p.get_content_type() == "text/plain"), None)
    if part is None:
        return ""
    payload = part.get_payload(decode=True) or b""
    charset = part.get_content_charset() or "iso-2022-jp"
    try:
        return payload.decode(charset, errors="replace")
    except LookupError:
        return payload.decode("iso-2022-jp", errors="replace")


def mail_text(data):
    msg = email.message_from_bytes(data)
    body = body_text(msg).replace("\r\n", "\n").replace("\n", "\r\n")
    body = BLANKS.sub(" ", body)
    body = WIDE_SPACES.sub("\u3000", body)
    body = EMPTY_LINES.sub("\r\n\r\n", body)
    body = to_half_width(body)
    date = email.utils.parsedate_to_datetime(msg["Date"]) if msg["Date"] else None
    date_text = date.strftime("%Y/%m/%d %H:%M:%S") if date else "1899/12/30"
    return ("From:" + header_text(msg["From"]) + "\r\nSubject:" + header_text(msg["Subject"]) +
            "\r\nDate:" + date_text + "\r\n" + body)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    files = sorted(glob.glob(os.path.join(sys.argv[1], "*.eml")),
                   key=lambda p: int(os.path.basename(p).split(".")[0]))
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(tempfile.gettempdir(),
                                                            "peer_export.pdb")
    start = time.perf_counter()
    parts = []
    for path in files:
        with open(path, "rb") as f:
            parts.append(mail_text(f.read()))
    text = "".join(parts).encode("cp932", errors="replace")
    with tempfile.NamedTemporaryFile(suffix=".txt", delete=False) as f:
        f.write(text)
        text_path = f.name
    subprocess.run(["txt2pdbdoc", "Peer export", text_path, out], check=True)
    os.unlink(text_path)
    seconds = time.perf_counter() - start
    peak_kb = max(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss,
                  resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
    print(f"peer_export.py: {len(files)} mails in {seconds:.2f} s = "
          f"{len(files) / seconds:.0f} mails/s; text {len(text) / 1e6:.1f} MB; "
          f"peak memory {peak_kb / 1024:.0f} MB")


if __name__ == "__main__":
    main()
