# SPDX-License-Identifier: GPL-3.0-or-later
"""What the end-to-end tests share whatever the session: waiting, reading what the
programs leave in files, pictures and their text, and the panel's glyphs."""

import configparser
import subprocess
import tempfile
import time

# The tray menu's entries, top to bottom (the Wayland panel's menu has the same).
SHOW_HIDE, SETTINGS, HELP, ABOUT, QUIT = range(5)
PACE = 0.04  # seconds between clicks, a quick person's pace

# The graphic characters that the IBM PC shows for the control codes, and for 127.
PC_GRAPHICS = {
    1: 0x263A, 2: 0x263B, 3: 0x2665, 4: 0x2666, 5: 0x2663, 6: 0x2660, 7: 0x2022,
    8: 0x25D8, 9: 0x25CB, 10: 0x25D9, 11: 0x2642, 12: 0x2640, 13: 0x266A, 14: 0x266B,
    15: 0x263C, 16: 0x25BA, 17: 0x25C4, 18: 0x2195, 19: 0x203C, 20: 0xB6, 21: 0xA7,
    22: 0x25AC, 24: 0x2191, 25: 0x2193, 26: 0x2192, 27: 0x2190, 28: 0x221F, 29: 0x2194,
    30: 0x25B2, 31: 0x25BC, 127: 0x2302,
}


def wait_until(predicate, timeout=10.0, interval=0.05, message="condition"):
    """Polls until predicate() returns something true; returns it or raises."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + message)
        time.sleep(interval)


def stays(predicate, seconds=1.0, interval=0.05):
    """True when predicate() holds throughout the period: for checking that
    something does not happen, after a positive sign that it would have by now."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not predicate():
            return False
        time.sleep(interval)
    return bool(predicate())


def file_text(path):
    """What a file holds, or "" while it does not exist yet."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def stored_settings(path):
    """The [Settings] of a settings file, with keys as the parser lowers them."""
    parser = configparser.ConfigParser(interpolation=None)
    parser.read(path, encoding="utf-8")
    return dict(parser["Settings"]) if parser.has_section("Settings") else {}


def mapped_files(pid):
    """What a process has mapped, as /proc lists it: which libraries it loaded."""
    with open("/proc/%d/maps" % pid, encoding="utf-8") as f:
        return f.read()


def read_ppm(data):
    """Width, height and RGB bytes of a binary PPM image."""
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position + 1:position + 1 + width * height * 3]


def ocr(picture, *convert, language="eng", psm=None):
    """The text tesseract reads in a picture, after ImageMagick's convert options
    (which enlarge it: small UI text reads better so)."""
    with tempfile.NamedTemporaryFile(suffix=".png") as prepared:
        subprocess.run(["convert", picture, *convert, prepared.name], check=True)
        argv = ["tesseract", prepared.name, "-", "-l", language] + (
            ["--psm", str(psm)] if psm else [])
        return subprocess.run(argv, capture_output=True, text=True).stdout


def panel_glyphs(code_page):
    """The panel's glyphs in label order, from Python's own code page tables."""
    glyphs = []
    for code in range(1, 128):
        if code == 23 or code == 32 or chr(code).isalnum():
            continue
        glyphs.append(chr(PC_GRAPHICS.get(code, code)))
    for code in range(128, 255):
        try:
            character = bytes([code]).decode("cp%d" % code_page)
        except UnicodeDecodeError:
            continue
        if character not in ("\u00ad", "\u2017"):
            glyphs.append(character)
    return glyphs
