#!/usr/bin/env python3
"""Prints, for each msg_*.txt mail of Python's own email test data, the first text/plain
part that Python's email package finds: one line per mail,

    FILE <TAB> FOUND <TAB> CHARSET <TAB> BODY

FOUND is 1 or 0; CHARSET is the part's charset parameter (empty if none); BODY is the
part's undecoded payload in hex, with line ends turned into LF and trailing line ends
removed. The first line is the corpus folder. The mail tests compare Vesko's MIME tree
with this.
"""
import email
import email.policy
import glob
import os

DATA = os.path.join(os.path.dirname(os.path.dirname(email.__file__)),
                    'test', 'test_email', 'data')


def first_text_plain(message):
    for part in message.walk():
        if part.get_content_type() == 'text/plain':
            return part
    return None


def main():
    print(DATA)
    for path in sorted(glob.glob(os.path.join(DATA, 'msg_*.txt'))):
        with open(path, 'rb') as f:
            raw = f.read().replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')
        message = email.message_from_bytes(raw, policy=email.policy.compat32)
        part = first_text_plain(message)
        name = os.path.basename(path)
        if part is None:
            print(f'{name}\t0\t\t')
            continue
        charset = part.get_param('charset') or ''
        if isinstance(charset, tuple):
            charset = email.utils.collapse_rfc2231_value(charset)
        payload = part.get_payload(decode=False)
        if isinstance(payload, list):
            body = b''
        else:
            body = payload.encode('ascii', 'surrogateescape')
        body = body.replace(b'\r\n', b'\n').replace(b'\r', b'\n').rstrip(b'\n')
        print(f'{name}\t1\t{charset}\t{body.hex()}')


if __name__ == '__main__':
    main()
