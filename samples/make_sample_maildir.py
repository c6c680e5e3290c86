#!/usr/bin/env python3
"""Writes the sample Maildir that `vesko export` uses when no store is given.

Twenty short mails in Japanese and English, in the encodings mail clients commonly send:
ISO-2022-JP (7bit), Shift_JIS and EUC-JP (8bit), UTF-8 with quoted-printable or base64
bodies and encoded-word headers, a multipart/alternative and plain US-ASCII. Some are
unread (new/), the rest read (cur/ with the S flag); one carries a mailing-list tag.

Usage: make_sample_maildir.py [DEST]   (default: samples/Maildir beside this script)
The output is deterministic, so the committed Maildir can be checked against it. The same
mails are also written as samples/SampleMaildir.inc, which the vesko program embeds so it
can set the sample up in a fresh data folder.
"""
import email.charset
import email.policy
import os
import shutil
import sys
from email.header import Header
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
from email.utils import formataddr, format_datetime
from datetime import datetime, timedelta, timezone

JST = timezone(timedelta(hours=9))
START = datetime(2026, 12, 1, 8, 30, 0, tzinfo=JST)

# email's own charset table encodes Shift_JIS and EUC-JP bodies as base64 by default;
# 8bit is what Japanese clients send for those.
for name in ("shift_jis", "euc-jp"):
    email.charset.add_charset(name, email.charset.BASE64, None, name)

# (sender name, address, subject, body, charset, transfer encoding, read)
MAILS = [
    ("山田 太郎", "taro@example.jp", "会議の日程について",
     "皆様\n\n来週の会議は水曜日の午後二時からです。\n場所は三階の会議室です。\n\n山田", "iso-2022-jp", "7bit", True),
    ("Alice Smith", "alice@example.com", "Lunch on Friday?",
     "Hi,\n\nShall we try the new noodle place on Friday?\n\n  -- Alice", "us-ascii", "7bit", True),
    ("鈴木 花子", "hanako@example.jp", "[ml:123] 新しいリリースのお知らせ",
     "メーリングリストの皆様\n\nバージョン２．０を公開しました。\n変更点はＷｅｂページをご覧ください。", "iso-2022-jp", "7bit", False),
    ("佐藤 次郎", "jiro@example.jp", "見積書の送付",
     "お世話になっております。\n\n見積書をお送りします。　ご確認ください。\n\n\n\n佐藤", "shift_jis", "8bit", True),
    ("高橋 三郎", "saburo@example.jp", "ＥＵＣで書いたメール",
     "このメールはEUC-JPで書かれています。\nカタカナ：テスト、データ、サーバー", "euc-jp", "8bit", False),
    ("Bob Jones", "bob@example.org", "Café meeting – notes",
     "Notes from today's café meeting:\n\n* budget     approved\n* next\tstep: draft   the plan\n", "utf-8", "quoted-printable", True),
    ("田中 美咲", "misaki@example.jp", "写真を送ります",
     "先日の旅行の写真です。\n京都の紅葉がとてもきれいでした。", "utf-8", "base64", False),
    ("Carol White", "carol@example.net", "Weekly report",
     "Done this week:\n- fixed the login page\n- reviewed two patches\n\nNext week:\n- release", "us-ascii", "7bit", True),
    ("伊藤 健", "ken@example.jp", "Re: 会議の日程について",
     "山田さん\n\n了解しました。出席します。\n\n> 来週の会議は水曜日の午後二時からです。\n\n伊藤", "iso-2022-jp", "7bit", True),
    ("Dave Brown", "dave@example.com", "Server maintenance tonight",
     "The mail server will be down from 23:00 to 01:00 JST.\nSorry for the trouble.", "us-ascii", "7bit", False),
    ("渡辺 由美", "yumi@example.jp", "全角　スペース　の　テスト",
     "全角スペースが　　　続く文です。\n半角スペースも    続きます。", "shift_jis", "8bit", True),
    ("Eve Green", "eve@example.org", "Re: Lunch on Friday?",
     "Count me in!\n\nEve", "utf-8", "quoted-printable", True),
    ("中村 大輔", "daisuke@example.jp", "ＡＢＣ　１２３ 全角英数字",
     "全角の英数字：ＡＢＣＤＥＦ　０１２３４５\nカタカナ：コンピュータ　プログラム", "iso-2022-jp", "7bit", False),
    ("Frank Miller", "frank@example.com", "Invoice #4521",
     "Dear customer,\n\nPlease find your invoice total below.\n\nTotal: 12,300 JPY\n", "us-ascii", "7bit", True),
    ("小林 さくら", "sakura@example.jp", "お花見のお誘い",
     "今年もお花見をしましょう。\n場所は上野公園を予定しています。", "euc-jp", "8bit", True),
    ("Grace Lee", "grace@example.net", "日本語 and English mixed",
     "This mail mixes English and 日本語.\nよろしくお願いします。", "utf-8", "base64", False),
    ("加藤 誠", "makoto@example.jp", "空行の多いメール",
     "一行目\n\n\n\n\n五行空けて二行目\n\n\n三行目", "iso-2022-jp", "7bit", True),
    ("Henry Ford", "henry@example.org", "Newsletter: December",
     "Welcome to the December newsletter.\n\nIn this issue: winter tips, events, and more.", "alternative", "", True),
    ("吉田 翔", "sho@example.jp", "（件名なし）の代わり",
     "件名の代わりに本文を書きます。", "shift_jis", "8bit", True),
    ("Ivy Chen", "ivy@example.com", "Thanks!",
     "Thank you for your help yesterday.\n\nIvy", "us-ascii", "7bit", False),
]


def header_value(text, charset):
    if all(ord(c) < 128 for c in text):
        return text
    return Header(text, "iso-2022-jp" if charset in ("shift_jis", "euc-jp", "iso-2022-jp") else "utf-8").encode()


def make_mail(i, name, address, subject, body, charset, encoding):
    body += "\n"
    if charset == "alternative":
        msg = MIMEMultipart("alternative", boundary="vesko-sample-boundary")
        msg.attach(MIMEText(body, "plain", "us-ascii"))
        html = "<html><body><p>" + body.replace("\n\n", "</p><p>") + "</p></body></html>"
        msg.attach(MIMEText(html, "html", "us-ascii"))
        header_charset = "utf-8"
    else:
        cs = email.charset.Charset(charset)
        if encoding == "quoted-printable":
            cs.body_encoding = email.charset.QP
        elif encoding == "base64":
            cs.body_encoding = email.charset.BASE64
        else:
            cs.body_encoding = None
        msg = MIMEText(body, "plain", cs)
        header_charset = charset
    msg["From"] = formataddr((str(Header(name, "utf-8")) if name.isascii() else
                              header_value(name, header_charset), address))
    msg["To"] = "you@example.jp"
    msg["Subject"] = header_value(subject, header_charset)
    msg["Date"] = format_datetime(START + timedelta(hours=7 * i, minutes=13 * i))
    msg["Message-ID"] = f"<sample{i:02d}@vesko.example>"
    data = msg.as_bytes(policy=email.policy.compat32.clone(linesep="\n"))
    return data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    dest = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "Maildir")
    shutil.rmtree(dest, ignore_errors=True)
    for sub in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(dest, sub))
    for i, (name, address, subject, body, charset, encoding, read) in enumerate(MAILS, 1):
        data = make_mail(i, name, address, subject, body, charset, encoding)
        stamp = int((START + timedelta(hours=7 * i, minutes=13 * i)).timestamp())
        base = f"{stamp}.P{i:02d}.vesko"
        path = os.path.join(dest, "cur", base + ":2,S") if read else os.path.join(dest, "new", base)
        with open(path, "wb") as f:
            f.write(data)
        os.utime(path, (stamp, stamp))
    # git keeps no empty folders
    open(os.path.join(dest, "tmp", ".keep"), "wb").close()
    write_include(dest, os.path.join(here, "SampleMaildir.inc"))


def c_literal(data):
    """The bytes as C string literal lines, every byte outside printable ASCII escaped."""
    lines, line = [], ""
    for b in data:
        c = chr(b)
        if c in '"\\?':
            piece = "\\" + c
        elif 32 <= b < 127 and not (line.endswith(("\\x",)) ):
            piece = c
        else:
            piece = "\\%03o" % b
        line += piece
        if b == 10 or len(line) > 90:
            lines.append('    "' + line + '"')
            line = ""
    if line:
        lines.append('    "' + line + '"')
    return "\n".join(lines) if lines else '    ""'


def write_include(dest, include):
    entries = []
    for sub in ("cur", "new"):
        for name in sorted(os.listdir(os.path.join(dest, sub))):
            with open(os.path.join(dest, sub, name), "rb") as f:
                data = f.read()
            entries.append("  {\"%s/%s\", %d,\n%s},\n" % (sub, name, len(data), c_literal(data)))
    with open(include, "w") as f:
        f.write("// Generated by samples/make_sample_maildir.py: the sample Maildir's files as\n"
                "// {path under the Maildir, size, bytes}. Do not edit.\n")
        f.write("".join(entries))


if __name__ == "__main__":
    main()
