"""Bad directory texts typed into the install dialog and confirmed with Install: the question,
then either the warning with the dialog left open and nothing left behind, or a completed
installation."""

import os
import subprocess

from harness import Skip, box_text, buttons, check, check_eq, children_by_id, scenario
from scenarios_shell import DIALOG, DIR_KEY, dialog_dir, disk_state, registry_state

APP = "TolvaneSetup"  # the caption of the directory messages: the executable's name
EDIT, INSTALL, CANCEL = 1000, 1, 2
SUCCESS = "Tolvane has been installed on your computer."
SUCCESS_CAPTION = "Thanks for trying Tolvane..."


def question(directory):
    return f'The directory "{directory}" does not exist. Do you wish to create it?'


def warning(directory):
    return f'Unable to create "{directory}"'


def icon_colours(run, shot, box):
    """(yellow, blue, red) shares of the message box's icon pixels. Wine makes a box as wide as
    its longest line, even past the screen's edge: an icon off the screen is only checked to be
    there (None)."""
    icon = children_by_id(box).get(1088)
    check(icon is not None and icon["visible"] and icon["has_icon"], "no icon in the message")
    left, top, right, bottom = icon["rect"]
    width, height = box["screen"]
    if left < 0 or top < 0 or right > width or bottom > height:
        return None
    px = run.pixels(shot, icon["rect"])
    yellow = sum(1 for r, g, b in px if r > 160 and g > 120 and b < 100)
    blue = sum(1 for r, g, b in px if b > 160 and r < 100)
    red = sum(1 for r, g, b in px if r > 160 and g < 90 and b < 90)
    return yellow / len(px), blue / len(px), red / len(px)


def wait_gone(run, caption, **options):
    # A posted answer takes effect a moment later.
    for _ in range(20):
        if run.absent(caption, **options):
            return
    check(False, f"window {caption!r} is still open")


def answer_question(run, directory, step):
    box = run.window(APP, with_id=CANCEL)
    shot = run.screenshot(step + "-question")
    check_eq(box_text(box), question(directory), "question")
    check_eq(buttons(box), [1, 2], "question buttons (OK, Cancel)")
    check_eq(box["owner_caption"], DIALOG, "question owner")
    colours = icon_colours(run, shot, box)
    check(colours is None or (colours[1] > 0.1 and colours[0] < 0.02 and colours[2] < 0.02),
          f"question icon colours (yellow, blue, red): {colours}")
    run.act("answer", APP, with_id=CANCEL, id=1)
    wait_gone(run, APP, with_id=CANCEL)


def answer_warning(run, directory, step, look=None):
    box = run.window(APP)
    shot = run.screenshot(step + "-warning")
    check_eq(box_text(box), warning(directory), "warning")
    check_eq(buttons(box), [1], "warning buttons (OK)")
    check_eq(box["owner_caption"], DIALOG, "warning owner")
    colours = icon_colours(run, shot, box)
    check(colours is None or (colours[0] > 0.1 and colours[1] < 0.02 and colours[2] < 0.02),
          f"exclamation icon colours (yellow, blue, red): {colours}")
    if look:
        look()
    run.act("answer", APP, id=1)
    wait_gone(run, APP)


def try_directory(run, text, asked, refused, installed, shown=None, look=None):
    """Types text, presses Install and answers OK to every message. refused: the directory the
    warning names (the installation does not go on); installed: the unix path that then holds
    Tolvane.exe; shown: the edit box's ANSI text when it is not text itself; look: called while
    the warning is open. Checks what is left behind; returns the recorded directory of a
    completed installation."""
    shown = text if shown is None else shown
    before_disk, before_reg = disk_state(run), registry_state(run)
    run.start()
    run.window(DIALOG)
    run.act("settext", DIALOG, id=EDIT, text=text)
    check_eq(dialog_dir(run), shown, "edit box after typing")
    run.act("click", DIALOG, id=INSTALL)
    answer_question(run, asked, "install")
    if refused is not None:
        answer_warning(run, refused, "install", look)
        check(run.running(), "the installer ended after the warning")
        w = run.window(DIALOG, no_children=True)
        check(w["enabled"], "the install dialog is still disabled")
        check_eq(dialog_dir(run), shown, "edit box after the warning")
        check_eq(sorted(disk_state(run) - before_disk), [], "left on disk")
        run.act("click", DIALOG, id=CANCEL)
        check_eq(run.wait_exit(), 0, "exit code after Cancel")
        check_eq(registry_state(run), before_reg, "registry under Brindlecot")
        return
    box = run.window(SUCCESS_CAPTION, wait_ms=15000)
    check_eq(box_text(box), SUCCESS, "success message")
    run.act("answer", SUCCESS_CAPTION, id=1)
    check_eq(run.wait_exit(30), 0, "exit code after the installation")
    exe = os.path.join(installed, b"Tolvane.exe" if isinstance(installed, bytes) else "Tolvane.exe")
    check(os.path.isfile(exe) and os.path.getsize(exe) > 0, f"{exe!r} missing or empty")
    return run.reg_query(DIR_KEY)


def long_text():
    """300 characters in ten-character components, with levels of 257, 260 and 262."""
    text = "C:\\Long"
    while len(text) < 257:
        text += f"\\Level{len(text):04d}"
    text += "\\xy"  # 260 characters
    text += "\\z"  # 262 characters
    while len(text) < 300:
        text += f"\\Level{len(text):04d}"
    return text[:300]


LONG = long_text()
# Typed text, the directory the question names, the directory the warning names.
REFUSED = [
    ("empty", "", "", ""),
    ("missing-drive", "Q:\\Tolvane", "Q:", "Q:"),
    ("forbidden-characters", "C:\\Bad<Name>", "C:\\Bad<Name>", "C:\\Bad<Name>"),
    ("device-name", "C:\\CON\\Tolvane", "C:\\CON\\Tolvane", "C:\\CON\\Tolvane"),
    # Wine creates the 260-character level and refuses the 262-character one.
    ("300-characters", LONG, "C:\\Long", LONG[:262]),
]


def make_refused_scenario(name, text, asked, refused):
    @scenario("badinput-" + name)
    def refused_dir(run):
        try_directory(run, text, asked, refused, None)

    return refused_dir


for _case in REFUSED:
    make_refused_scenario(*_case)


@scenario("badinput-mixed-separators")
def mixed_separators(run):
    # Either separator cuts; the question and the recorded directory keep the text as typed.
    text = "C:/Apps\\Sub/Tolvane"
    recorded = try_directory(run, text, "C:/Apps", None, run.unix_path("C:\\Apps\\Sub\\Tolvane"))
    check_eq(recorded, ("REG_SZ", text), "recorded directory")


@scenario("badinput-trailing-dots-and-spaces")
def trailing_dots(run):
    # Wine drops the trailing dot and space of the last component only: "C:\Dots." makes Dots,
    # "C:\Dots.\Spaces " makes Dots/Spaces, but "C:\Dots.\Spaces \Tolvane" looks for a
    # folder "Dots." and fails. The rollback then removes both.
    text = "C:\\Dots.\\Spaces \\Tolvane"
    before, made = disk_state(run), []
    try_directory(run, text, "C:\\Dots.", text, None,
                  look=lambda: made.extend(sorted(disk_state(run) - before)))
    check_eq(made, ["Dots", "Dots/Spaces"], "directories made before the warning")


def japanese_locale(run):
    """Code page 932 for the programs of this prefix; the locale is built once per work
    directory, so that Wine can turn non-ASCII names into unix file names."""
    where = os.path.join(os.path.dirname(run.prefix), "locale")
    if not os.path.isdir(os.path.join(where, "ja_JP.UTF-8")):
        os.makedirs(where, exist_ok=True)
        p = subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8",
                            os.path.join(where, "ja_JP.UTF-8")],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        if p.returncode not in (0, 1) or not os.path.isdir(os.path.join(where, "ja_JP.UTF-8")):
            raise Skip(f"localedef ja_JP.UTF-8 failed ({p.returncode})")
    run.env.update({"LC_ALL": "ja_JP.UTF-8", "LOCPATH": where})


@scenario("badinput-double-byte-backslash-trail")
def double_byte(run):
    # U+30BD is 0x83 0x5C in code page 932: its second byte must not cut the text.
    japanese_locale(run)
    name = "\u30bd"
    cp932 = name.encode("cp932")
    check_eq(cp932, b"\x83\x5c", "code page 932 bytes")
    ansi = "C:\\" + cp932.decode("latin-1")  # the driver reports the ANSI bytes one per char
    unix = os.path.join(run.drive_c.encode(), name.encode("utf-8"), b"Tolvane")
    recorded = try_directory(run, "C:\\" + name + "\\Tolvane", ansi, None, unix,
                             shown=ansi + "\\Tolvane")
    # reg.exe answers in code page 932 too, so the value reads back as the same bytes.
    check_eq(recorded, ("REG_SZ", ansi + "\\Tolvane"), "recorded directory")
