#!/usr/bin/env python3
"""The user manual as built: a PDF of more than a few pages whose text holds every console
message the manual quotes, each one exactly as the program prints it.

    manual_test.py PDF MANUAL_DIR PROGRAM_EXE ENGLISH_LANGUAGE_FILE

A message is quoted in the Markdown either as inline code marked {.msg} or as a line of a
fenced block marked {.output}. "Exactly as the program prints it" is checked against the
program itself: each message must equal a text of PelnixCpl.exe or of its English language
file (some console lines are language strings), or fill one of the program's printf formats (a
path for %s, a number for %d, %lu, %u or %x).
"""
import pathlib
import re
import subprocess
import sys

MIN_PAGES = 12


def quoted_messages(manual_dir):
    messages = []
    for chapter in sorted(pathlib.Path(manual_dir).glob("[0-9][0-9]-*.md")):
        text = chapter.read_text(encoding="utf-8")
        messages += re.findall(r"`([^`]+)`\{\.msg\}", text)
        for block in re.findall(r"^```\{\.output\}\n(.*?)^```", text, re.M | re.S):
            messages += [line for line in block.splitlines() if line.strip()]
    return messages


def program_texts(exe):
    """The printable runs of the program's image, split at line ends as they are printed."""
    data = pathlib.Path(exe).read_bytes()
    runs = re.findall(rb"[\x20-\x7e]{4,}", data)
    return {run.decode("ascii").rstrip() for run in runs}


def language_texts(language_file):
    """The values of the English language source (UTF-8, key=value, quotes around blanks)."""
    texts = set()
    for line in pathlib.Path(language_file).read_text(encoding="utf-8-sig").splitlines():
        key, sep, value = line.partition("=")
        if sep and key.strip().isdigit():
            value = value.strip()
            if len(value) >= 2 and value[0] == value[-1] == '"':
                value = value[1:-1]
            texts.add(value.rstrip())
    return texts


def format_pattern(text):
    parts = re.split(r"(%s|%d|%lu|%u|%x)", text)
    literal = "".join(p for p in parts[::2])
    if len(literal) < 6 or len(parts) == 1:
        return None
    conversions = {"%s": r".+", "%d": r"-?[0-9]+", "%lu": r"[0-9]+", "%u": r"[0-9]+", "%x": r"[0-9a-f]+"}
    return re.compile("".join(re.escape(p) if i % 2 == 0 else conversions[p]
                              for i, p in enumerate(parts)))


def printed_by_program(message, texts, patterns):
    return message in texts or any(p.fullmatch(message) for p in patterns)


def squeeze(text):
    return re.sub(r"\s+", " ", text).strip()


def main(pdf, manual_dir, exe, language_file):
    failures = []
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    if pages < MIN_PAGES:
        failures.append(f"{pdf} has {pages} pages, fewer than {MIN_PAGES}")

    # Content order (-raw) keeps each table cell's lines together.
    pdf_text = squeeze(subprocess.run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"],
                                      capture_output=True, text=True, check=True).stdout)
    messages = quoted_messages(manual_dir)
    if len(messages) < 60:
        failures.append(f"only {len(messages)} console messages are marked in the manual")

    texts = program_texts(exe)
    patterns = [p for p in map(format_pattern, texts) if p]
    texts |= language_texts(language_file)
    for message in messages:
        if not printed_by_program(message, texts, patterns):
            failures.append(f"not printed by the program as quoted: {message!r}")
        if squeeze(message) not in pdf_text:
            failures.append(f"missing from the PDF's text: {message!r}")

    for failure in failures:
        print(failure)
    print(f"{pages} pages, {len(messages)} console messages checked, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
