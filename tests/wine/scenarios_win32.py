"""The i686 build under the 32-bit Wine loader (qemu-i386 emulation): the dialog, a completed
installation, a fatal error. Every 32-bit program start takes about a minute here, so these are
few, slow and generously timed. The program sees the 32-bit views: ProgramFilesDir is
C:\\Program Files (x86) and its HKLM\\SOFTWARE is the 64-bit view's SOFTWARE\\Wow6432Node."""

import filecmp
import os

from harness import box_text, buttons, check, check_eq, children_by_id, normalise_id, scenario
from scenarios_shell import CONTROLS, DIALOG

DEFAULT_DIR = "C:\\Program Files (x86)\\Brindlecot\\Tolvane"
MAKER_DIR = "C:\\Program Files (x86)\\Brindlecot"
QUESTION = f'The directory "{MAKER_DIR}" does not exist. Do you wish to create it?'
QUESTION_CAPTION = "TolvaneSetup"  # message boxes of the framework carry the module's name
SUCCESS = "Thanks for trying Tolvane..."
FATAL = "Fatal Error"
DIR_KEY = "HKLM\\SOFTWARE\\Brindlecot\\Tolvane\\ActiveX"
VIEWER_KEY = "HKLM\\SOFTWARE\\Brindlecot\\Tolvane\\Viewer"
WOW_DIR_KEY = "HKLM\\SOFTWARE\\Wow6432Node\\Brindlecot\\Tolvane\\ActiveX"
VIEW32 = ("/reg:32",)

START_MS = 240000  # a 32-bit start: about 50 s alone, several times that on a loaded machine
LABELS = ("slow", "win32")


def first_window(run, caption):
    return run.window(caption, wait_ms=START_MS, timeout=START_MS // 1000 + 15)


def recorded_dirs(run):
    """The recorded directory in the 32-bit view, and in the 64-bit view (must stay empty)."""
    return (run.reg_query(DIR_KEY, flags=VIEW32),
            run.reg_query("HKLM\\SOFTWARE\\Brindlecot\\Tolvane\\ActiveX"))


@scenario("win32-dialog", timeout=420, labels=LABELS, target="installer32")
def dialog(run):
    run.start()
    w = first_window(run, DIALOG)
    run.screenshot("install-dialog")
    got = [(normalise_id(c["id"]), c["class"]) for c in w["children"]]
    check_eq(got, [(c[0], c[1]) for c in CONTROLS], "controls in template order")
    for (cid, _, text, _), c in zip(CONTROLS, w["children"]):
        if cid == 1000:
            check_eq(c["text"], DEFAULT_DIR, "proposed directory")
        elif text is ...:
            check(c["text"], f"control {cid} ({c['class']}) has no text")
        else:
            check_eq(c["text"], text, f"control {cid} ({c['class']}) text")
    run.act("click", DIALOG, id=2)
    code = run.wait_exit(timeout=60)
    check(code != 1, "exit code 1 (the fatal-error code) after a cancel")
    check(not run.tree(MAKER_DIR), "Brindlecot folder after a cancel")


@scenario("win32-install-complete", timeout=720, labels=LABELS, target="installer32")
def install_complete(run):
    check(not run.tree(MAKER_DIR), "Brindlecot folder before the run")
    run.start()
    w = first_window(run, DIALOG)
    check_eq(children_by_id(w)[1000]["text"], DEFAULT_DIR, "proposed directory")
    run.act("click", DIALOG, id=1)
    box = run.window(QUESTION_CAPTION, wait_ms=60000, timeout=75)
    check_eq(box_text(box), QUESTION, "question")
    check_eq(buttons(box), [1, 2], "question buttons (OK, Cancel)")
    run.act("answer", QUESTION_CAPTION, id=1)
    # The viewer registers itself: a second 32-bit start before the success message.
    box = first_window(run, SUCCESS)
    run.screenshot("success-message")
    check_eq(box_text(box), "Tolvane has been installed on your computer.", "success text")
    check_eq(buttons(box), [1], "success buttons (OK only)")
    run.act("answer", SUCCESS, id=1)
    check_eq(run.wait_exit(timeout=60), 0, "exit code")

    installed = run.unix_path(DEFAULT_DIR + "\\Tolvane.exe")
    viewer = os.path.join(os.path.dirname(run.program_path), "viewer", "Tolvane.exe")
    check(os.path.isfile(installed), f"{DEFAULT_DIR}\\Tolvane.exe not installed")
    check(filecmp.cmp(installed, viewer, shallow=False),
          f"installed Tolvane.exe differs from {viewer}")
    check_eq(sorted(run.tree(MAKER_DIR)), ["Tolvane", os.path.join("Tolvane", "Tolvane.exe")],
             "files under Brindlecot")
    check_eq(recorded_dirs(run), (("REG_SZ", DEFAULT_DIR), None),
             "recorded directory (32-bit view, 64-bit view)")
    # The same value, seen from the 64-bit side where WOW64 redirects it.
    check_eq(run.reg_query(WOW_DIR_KEY), ("REG_SZ", DEFAULT_DIR), "recorded under Wow6432Node")
    check_eq(run.reg_query(VIEWER_KEY, "Registered", flags=VIEW32),
             ("REG_SZ", DEFAULT_DIR + "\\Tolvane.exe"), "the viewer's own registration")


@scenario("win32-fatal-temp-unwritable", timeout=480, labels=LABELS, target="installer32")
def fatal_temp(run):
    # A temporary directory that does not exist: the payload cannot be staged.
    for name in ("TMP", "TEMP"):
        run.reg_add("HKCU\\Environment", name, "REG_SZ", "C:\\no-such-temp")
    run.start()
    first_window(run, DIALOG)
    run.act("click", DIALOG, id=1)
    run.window(QUESTION_CAPTION, wait_ms=60000, timeout=75)
    run.act("answer", QUESTION_CAPTION, id=1)
    box = run.window(FATAL, wait_ms=60000, timeout=75)
    run.screenshot("fatal-error")
    text = box_text(box)
    check(text.startswith("An unrecoverable installation error has occurred.\n"
                          "Unable to create temporary file\n"), f"fatal text: {text!r}")
    check_eq(buttons(box), [1], "fatal error buttons (OK only)")
    run.act("answer", FATAL, id=1)
    check_eq(run.wait_exit(timeout=60), 1, "exit code")
    check(not run.tree(MAKER_DIR) and not os.path.exists(run.unix_path(MAKER_DIR)),
          "the created directory chain was not taken back")
    check_eq(recorded_dirs(run), (None, None), "recorded directory")
