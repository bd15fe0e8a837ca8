#!/usr/bin/env python3
"""Sets English translations in src/resources/language/english.ts.

Reads lines "context<TAB>source<TAB>english" from standard input (or the
files given). An empty english marks the message finished without a
translation, so the source text shows. Escapes \\n in the fields stand for
line breaks. Messages that are not in the file are reported; run
scripts/update-translations.sh first to add them.
"""
import html
import re
import sys
from pathlib import Path

TS = Path(__file__).resolve().parent.parent / "src/resources/language/english.ts"


def unescape_field(s):
    return s.replace("\\n", "\n").replace("\\t", "\t")


def xml_text(s):
    return html.escape(s, quote=False).replace("'", "&apos;").replace('"', "&quot;")


def main():
    text = TS.read_text(encoding="utf-8")
    rows = []
    src = sys.stdin if len(sys.argv) < 2 else open(sys.argv[1], encoding="utf-8")
    for line in src:
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        parts = line.split("\t")
        if len(parts) != 3:
            sys.exit(f"bad line (need 3 tab-separated fields): {line!r}")
        rows.append(tuple(unescape_field(p) for p in parts))

    missing = 0
    for context, source, english in rows:
        ctx_re = re.compile(r"(<context>\s*<name>" + re.escape(context) + r"</name>)(.*?)(</context>)", re.S)
        found = False
        def fix_context(m):
            nonlocal found
            body = m.group(2)
            def fix_msg(mm):
                nonlocal found
                block = mm.group(0)
                src_m = re.search(r"<source>(.*?)</source>", block, re.S)
                if not src_m or html.unescape(src_m.group(1)) != source:
                    return block
                found = True
                new_tr = f"<translation>{xml_text(english)}</translation>"
                return re.sub(r"<translation[^>]*?(/>|>.*?</translation>)", new_tr, block, count=1, flags=re.S)
            body = re.sub(r"<message[^>]*>.*?</message>", fix_msg, body, flags=re.S)
            return m.group(1) + body + m.group(3)
        text = ctx_re.sub(fix_context, text)
        if not found:
            missing += 1
            print(f"not in english.ts: [{context}] {source!r}", file=sys.stderr)
    TS.write_text(text, encoding="utf-8")
    sys.exit(1 if missing else 0)


if __name__ == "__main__":
    main()
