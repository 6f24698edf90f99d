#!/usr/bin/env python3
"""The user manual as built, in one language: a PDF of more than a few pages, with every
picture its chapters show, whose text holds every console message and every text of the
program's windows that the manual quotes, each one exactly as the program prints or shows it;
in Chinese and Japanese, text in that script, in embedded fonts drawn for it.

    manual_test.py PDF CHAPTERS_DIR PROGRAM_EXE LANGUAGE_FILE [LANGUAGE_ID]

A console message is quoted in the Markdown either as inline code marked {.msg} or as a line
of a fenced block marked {.output}; a text of a window as a span marked {.ui}. "Exactly as the
program prints it" is checked against the program itself: a message must equal a text of
PelnixCpl.exe (narrow or wide) or of the manual's language file (some console lines are
language strings), or fill one of their printf formats (a path for %s, a number for %d, %lu, %u
or %x); a window text must be a value of the language file, as a button shows it (the \\n of
a two-line caption a line break) or as a label ends (a colon left off), or fill its format.
"""
import pathlib
import re
import subprocess
import sys

MIN_PAGES = 12
MIN_MESSAGES = 60
MIN_WINDOW_TEXTS = 25
# What the Chinese and Japanese manuals must hold: CJK characters in their text, and a font
# of the language's own among the embedded ones.
SCRIPTS = {
    "2052": {"font": "WenQuanYi", "pattern": r"[\u4e00-\u9fff]"},
    "1041": {"font": "IPA", "pattern": r"[\u3040-\u30ff]"},  # kana: Japanese, not Chinese
}
MIN_SCRIPT_CHARACTERS = 1000


def chapters(manual_dir):
    return [p.read_text(encoding="utf-8") for p in sorted(pathlib.Path(manual_dir).glob("[0-9][0-9]-*.md"))]


def quoted_messages(texts):
    messages = []
    for text in texts:
        messages += re.findall(r"`([^`]+)`\{\.msg\}", text)
        for block in re.findall(r"^```\{\.output\}\n(.*?)^```", text, re.M | re.S):
            messages += [line for line in block.splitlines() if line.strip()]
    return messages


def quoted_window_texts(texts):
    # One level of brackets inside: "[Calibrate]" in a hint is part of the text.
    spans = []
    for text in texts:
        spans += re.findall(r"\[((?:[^\[\]]|\[[^\[\]]*\])+)\]\{\.ui\}", text)
    return [squeeze(re.sub(r"\n>?", " ", span)) for span in spans]


def picture_references(texts):
    return [name for text in texts for name in re.findall(r"!\[[^\]]*\]\(([^)\s]+)\)", text)]


def program_texts(exe):
    """The printable runs of the program's image, narrow and wide, split at line ends as they
    are printed."""
    data = pathlib.Path(exe).read_bytes()
    runs = [run.decode("ascii") for run in re.findall(rb"[\x20-\x7e]{4,}", data)]
    wide = [run.decode("utf-16-le") for run in re.findall(rb"(?:[\x20-\x7e]\x00){4,}", data)]
    # A wide string right after a narrow one reads as starting with the narrow one's last
    # character and its terminator.
    runs += wide + [run[1:] for run in wide]
    return {run.rstrip() for run in runs}


def language_values(language_file):
    """The values of a language source (UTF-8, key=value, quotes around blanks)."""
    values = []
    for line in pathlib.Path(language_file).read_text(encoding="utf-8-sig").splitlines():
        key, sep, value = line.partition("=")
        if sep and key.strip().isdigit():
            value = value.strip()
            if len(value) >= 2 and value[0] == value[-1] == '"':
                value = value[1:-1]
            values.append(value.rstrip())
    return values


def as_shown(value):
    """The ways a window shows a language value: a two-line caption on one line of text, a
    label without its colon."""
    shown = set()
    for text in {value.replace("\\n", " "), value.replace("\\n", "")}:
        shown |= {text.strip(), text.rstrip(":：").strip()}
    return shown


def format_pattern(text):
    parts = re.split(r"(%s|%d|%lu|%u|%x)", text)
    literal = "".join(p for p in parts[::2])
    if len(literal) < 6 or len(parts) == 1:
        return None
    conversions = {"%s": r".+", "%d": r"-?[0-9]+", "%lu": r"[0-9]+", "%u": r"[0-9]+", "%x": r"[0-9a-f]+"}
    return re.compile("".join(re.escape(p) if i % 2 == 0 else conversions[p]
                              for i, p in enumerate(parts)))


def matches(text, texts, patterns):
    return text in texts or any(p.fullmatch(text) for p in patterns)


def squeeze(text):
    return re.sub(r"\s+", " ", text).strip()


def in_pdf(text, pdf_text, pdf_text_unspaced):
    # The PDF breaks Chinese and Japanese lines between any two characters.
    if re.search(r"[\u3000-\u9fff\uff00-\uffef]", text):
        return re.sub(r"\s+", "", text) in pdf_text_unspaced
    return squeeze(text) in pdf_text


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


def main(pdf, manual_dir, exe, language_file, language="1033"):
    failures = []
    info = run("pdfinfo", pdf)
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    if pages < MIN_PAGES:
        failures.append(f"{pdf} has {pages} pages, fewer than {MIN_PAGES}")

    texts = chapters(manual_dir)
    pictures = picture_references(texts)
    images = [line for line in run("pdfimages", "-list", pdf).splitlines()[2:] if line.split()[2] == "image"]
    if not pictures or len(images) < len(pictures):
        failures.append(f"{len(images)} pictures in the PDF, the chapters show {len(pictures)}: {pictures}")

    # Content order (-raw) keeps each table cell's lines together.
    raw = run("pdftotext", "-raw", "-enc", "UTF-8", pdf, "-")
    # Pandoc sets apostrophes and quotes typographically; the program's own are straight.
    raw = raw.translate(str.maketrans({"\u2019": "'", "\u2018": "'", "\u201c": '"', "\u201d": '"'}))
    pdf_text, pdf_text_unspaced = squeeze(raw), re.sub(r"\s+", "", raw)

    values = language_values(language_file)
    value_patterns = [p for p in map(format_pattern, values) if p]
    printed = program_texts(exe)
    printed_patterns = [p for p in map(format_pattern, printed) if p] + value_patterns
    printed |= set(values)
    def check(quoted, what, minimum, texts_of_program, patterns, source):
        if len(quoted) < minimum:
            failures.append(f"only {len(quoted)} {what} are marked in the manual")
        for text in quoted:
            if not matches(text, texts_of_program, patterns):
                failures.append(f"not {source} as quoted: {text!r}")
            if not in_pdf(text, pdf_text, pdf_text_unspaced):
                failures.append(f"missing from the PDF's text: {text!r}")

    messages = quoted_messages(texts)
    check(messages, "console messages", MIN_MESSAGES, printed, printed_patterns, "printed by the program")
    window_texts = quoted_window_texts(texts)
    check(window_texts, "window texts", MIN_WINDOW_TEXTS, set().union(*map(as_shown, values)), value_patterns,
          f"a text of {pathlib.Path(language_file).name}")

    fonts = [line.split() for line in run("pdffonts", pdf).splitlines()[2:]]
    for font in fonts:
        # name, type words, encoding, then emb sub uni object generation
        if font[-5] != "yes":
            failures.append(f"font not embedded: {font[0]}")
    script = SCRIPTS.get(language)
    if script:
        count = len(re.findall(script["pattern"], raw))
        if count < MIN_SCRIPT_CHARACTERS:
            failures.append(f"only {count} characters of the language's script in the PDF's text")
        if not any(script["font"] in font[0] for font in fonts):
            failures.append(f"no {script['font']} font among {[font[0] for font in fonts]}")

    for failure in failures:
        print(failure)
    print(f"{language}: {pages} pages, {len(images)} pictures, {len(messages)} console messages and "
          f"{len(window_texts)} window texts checked, {len(fonts)} fonts, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:6]))
