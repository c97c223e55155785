#!/usr/bin/env python3
"""The plain way to do what `kvarsel-batch translate` does to the benchmark's scripts.

    plain_translate.py RESOURCE_DIR DICTIONARY...

Each dictionary becomes a Python dict from the lower-cased source to its
translation (the first entry wins); every script line of the four kinds gives up
its text by the shape the benchmark writes, the text is looked up in the
dictionaries in order, and the scripts are written back in place, in Windows-1251
with CR LF, as the program writes them. The comparison mode of kvarsel_bench runs
it next to the program and checks that both leave the same bytes.
"""
import os
import sys


def load(path):
    with open(path, encoding="cp1251", newline="") as f:
        lines = [line for line in f.read().splitlines() if line]
    table = {}
    for source, translation in zip(lines[0::2], lines[1::2]):
        table.setdefault(source.lower(), translation)
    return table


def is_text_char(c):
    return c in "()<>" or ord(c) > 63


def trim_trailing(text, keep):
    end = len(text)
    while end > 0 and not keep(text[end - 1]):
        end -= 1
    return text[:end]


def quoted(line):
    return line[line.index('"') + 1:line.rindex('"')]


def text_of(kind, line):
    """The translatable text of a script line, or None."""
    delimiter = "'" if kind == "rcdata" else '"'
    if line.count(delimiter) < 2:
        return None
    if kind == "menu":
        text = quoted(line)
        cuts = [i for i in (text.find("."), text.find("\\t"), text.find(":")) if i >= 0]
        text = text[:min(cuts)] if cuts else text
    elif kind == "dialog":
        if "CONTROL" in line:
            return None
        text = trim_trailing(quoted(line), is_text_char)
    elif kind == "string":
        text = quoted(line).split("\\t")[0]
        text = trim_trailing(text, is_text_char)
    else:
        a = line.index("'")
        text = line[a + 1:line.index("'", a + 1)]
        text = trim_trailing(text, lambda c: c == "%" or is_text_char(c))
    if len(text) < 2:
        return None
    return text


def translate(text, tables):
    if ord(text[0]) > 127:
        return None
    key = text.lower()
    for table in tables:
        found = table.get(key)
        if found is not None:
            if not found:
                return found
            first = found[0].lower() if text[0].lower() == text[0] else found[0].upper()
            return first + found[1:]
    return None


def main():
    resources, dictionaries = sys.argv[1], sys.argv[2:]
    tables = [load(path) for path in dictionaries]
    kinds = {"menu": ".rc", "dialog": ".rc", "string": ".rc", "rcdata": ".txt"}
    for kind, suffix in kinds.items():
        folder = os.path.join(resources, kind)
        for name in sorted(os.listdir(folder)):
            if not name.endswith(suffix):
                continue
            path = os.path.join(folder, name)
            with open(path, encoding="cp1251", newline="") as f:
                lines = f.read().splitlines()
            out = []
            for line in lines:
                line = line.replace("&", "")
                text = text_of(kind, line)
                if text is not None:
                    translation = translate(text, tables)
                    if translation is not None:
                        line = line.replace(text, translation, 1)
                out.append(line + "\r\n")
            with open(path + ".tmp", "w", encoding="cp1251", newline="") as f:
                f.write("".join(out))
            os.replace(path + ".tmp", path)


if __name__ == "__main__":
    main()
