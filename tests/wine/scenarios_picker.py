"""The folder picker behind the "..." button: where it opens, what it shows, what it gives back."""

import os

from harness import box_text, buttons, check, check_eq, children_by_id, scenario
from scenarios_shell import DEFAULT_DIR, DIALOG, DIR_KEY, dialog_dir, disk_state, registry_state

PICKER = "Select the Tolvane Installation Directory"
DUMMY = "_______"
BROWSE, EDIT = 1001, 1000
# The picker's own controls: the folder label, the file-name box and its label, the file-type
# list and its label. 1152 (the name box of older systems) does not exist under Wine.
FOLDER_LABEL, NAME_BOX, NAME_LABEL, TYPE_LIST, TYPE_LABEL, OLD_NAME_BOX = (
    1091, 1148, 1090, 1136, 1089, 1152)
IDYES, IDNO = 6, 7
OVERWRITE_TEXT = "File already exists.\nDo you want to replace it?"
SUCCESS = "Tolvane has been installed on your computer."
SUCCESS_CAPTION = "Thanks for trying Tolvane..."


def start(run):
    run.start()
    return run.window(DIALOG)


def open_picker(run):
    """Presses "..." and waits for the picker; returns its description."""
    run.act("click", DIALOG, id=BROWSE)
    return run.window(PICKER, with_id=NAME_BOX)


def picker_folder(run):
    return run.act("picker", PICKER, with_id=NAME_BOX)["folder"]


def choose(run, folder):
    """OK in the picker with the dummy name in folder, as a click on OK in that folder does."""
    sep = "" if folder.endswith("\\") else "\\"
    w = run.act("picker", PICKER, with_id=NAME_BOX, set_name=folder + sep + DUMMY, ok=True)
    check_eq(w["name"], folder + sep + DUMMY, "name typed into the picker")


def cancel_picker(run):
    run.act("answer", PICKER, with_id=NAME_BOX, id=2)


def wait_gone(run, caption, **options):
    # A posted answer takes effect a moment later.
    for _ in range(20):
        if run.absent(caption, **options):
            return
    check(False, f"window {caption!r} is still open")


def wait_picker_closed(run):
    wait_gone(run, PICKER)
    check(run.window(DIALOG, no_children=True)["enabled"], "the install dialog is disabled")


def quit_dialog(run):
    run.act("click", DIALOG, id=2)
    check_eq(run.wait_exit(), 0, "exit code after Cancel")


@scenario("picker-opens-configured")
def opens_configured(run):
    before_disk, before_reg = disk_state(run), registry_state(run)
    run.start()
    check_eq(dialog_dir(run), DEFAULT_DIR, "proposed directory")
    p = open_picker(run)
    run.screenshot("picker")
    check_eq(p["text"], PICKER, "picker caption")
    check_eq(p["owner_caption"], DIALOG, "picker owner")
    check(not run.window(DIALOG, no_children=True)["enabled"],
          "the install dialog is enabled while the picker is open")
    c = children_by_id(p)
    # The picker's toolbar has id 1 as well: the OK button is the Button of that id.
    ok = [b for b in p["children"] if b["id"] == 1 and b["class"] == "Button"]
    check_eq([b["text"] for b in ok], ["OK"], "OK button text")
    check_eq(c[FOLDER_LABEL]["text"], "Install in:", "folder label")
    check(c[FOLDER_LABEL]["visible"], "folder label hidden")
    check(OLD_NAME_BOX not in c, "control 1152 exists under Wine")
    for cid in (NAME_BOX, NAME_LABEL, TYPE_LIST, TYPE_LABEL):
        check(cid in c, f"control {cid} missing")
        check(not c[cid]["visible"], f"control {cid} ({c[cid]['class']}) is visible")
    # Nothing of the proposed directory exists on a fresh prefix but C:\Program Files.
    check_eq(picker_folder(run), "C:\\Program Files", "folder the picker opens in")
    cancel_picker(run)
    wait_picker_closed(run)
    check_eq(dialog_dir(run), DEFAULT_DIR, "edit box after Cancel")
    quit_dialog(run)
    check_eq(sorted(disk_state(run) - before_disk), [], "files created")
    check_eq(registry_state(run), before_reg, "registry under Brindlecot")


@scenario("picker-typed-text-replaced-or-kept", timeout=180)
def typed_text(run):
    # The picker starts from the directory last chosen, never from text typed since then.
    os.makedirs(run.unix_path("C:\\Apps\\Sub"))
    before_disk, before_reg = disk_state(run), registry_state(run)
    start(run)
    steps = [
        # (typed text or None, folder the picker opens in, folder chosen or None, edit after)
        ("C:\\windows", "C:\\Program Files", None, "C:\\windows"),
        (None, "C:\\Program Files", "C:\\Apps", "C:\\Apps"),
        ("C:\\windows\\system32", "C:\\Apps", "C:\\Apps\\Sub", "C:\\Apps\\Sub"),
        (None, "C:\\Apps\\Sub", None, "C:\\Apps\\Sub"),
    ]
    for typed, opens_in, chosen, after in steps:
        what = f"typed {typed!r}, chose {chosen!r}"
        if typed is not None:
            run.act("settext", DIALOG, id=EDIT, text=typed)
        open_picker(run)
        check_eq(picker_folder(run), opens_in, f"{what}: folder the picker opens in")
        if chosen is None:
            cancel_picker(run)
        else:
            choose(run, chosen)
        wait_picker_closed(run)
        check_eq(dialog_dir(run), after, f"{what}: edit box afterwards")
    quit_dialog(run)
    check_eq(sorted(disk_state(run) - before_disk), [], "files created")
    check_eq(registry_state(run), before_reg, "registry under Brindlecot")


# Recorded directory, the directories and files to make on C: first, the folder
# the picker opens in: the nearest existing ancestor, the root of the current drive when nothing
# of the text exists.
STARTS = [
    ("existing-ancestor", "C:\\Apps\\Deeper\\Missing", ["C:\\Apps\\Deeper"], [],
     "C:\\Apps\\Deeper"),
    ("existing-directory", "C:\\Apps\\Deeper", ["C:\\Apps\\Deeper"], [], "C:\\Apps\\Deeper"),
    # The walk stops at a file; the platform then opens the file's folder.
    ("file-in-the-chain", "C:\\Apps\\notes.txt\\Missing", ["C:\\Apps"], ["C:\\Apps\\notes.txt"],
     "C:\\Apps"),
    ("missing-drive", "Q:\\Tolvane", [], [], "C:\\"),
    ("empty", "", [], [], "C:\\"),
]


def make_start_scenario(name, recorded, dirs, files, opens_in):
    @scenario("picker-starts-" + name)
    def starts(run):
        run.reg_add(DIR_KEY, None, "REG_SZ", recorded)
        for d in dirs:
            os.makedirs(run.unix_path(d))
        for f in files:
            open(run.unix_path(f), "wb").close()
        run.start()
        check_eq(dialog_dir(run), recorded, "proposed directory")
        open_picker(run)
        check_eq(picker_folder(run), opens_in, "folder the picker opens in")
        cancel_picker(run)
        wait_picker_closed(run)
        check_eq(dialog_dir(run), recorded, "edit box after Cancel")
        quit_dialog(run)

    return starts


for _start in STARTS:
    make_start_scenario(*_start)


# Folder chosen in the picker, what the edit box then shows, where Tolvane.exe goes.
INSTALLS = [
    ("folder", "C:\\My Apps\\Viewer", "C:\\My Apps\\Viewer"),
    ("drive-root", "C:\\", "C:"),
]


def make_install_scenario(name, folder, expected):
    @scenario("picker-install-" + name)
    def install(run):
        if folder != "C:\\":
            os.makedirs(run.unix_path(folder))
        start(run)
        open_picker(run)
        choose(run, folder)
        wait_picker_closed(run)
        check_eq(dialog_dir(run), expected, "edit box after OK")
        # The folder exists, so Install asks nothing and goes straight to the success message.
        run.act("click", DIALOG, id=1)
        box = run.window(SUCCESS_CAPTION, wait_ms=15000)
        check_eq(box_text(box), SUCCESS, "message text")
        check_eq(buttons(box), [1], "buttons (OK only)")
        run.act("answer", SUCCESS_CAPTION, id=1)
        check_eq(run.wait_exit(30), 0, "exit code after the installation")
        exe = os.path.join(run.unix_path(folder), "Tolvane.exe")
        check(os.path.isfile(exe) and os.path.getsize(exe) > 0, f"{exe} missing or empty")
        check_eq(run.reg_query(DIR_KEY), ("REG_SZ", expected), "recorded directory")

    return install


for _name, _folder, _expected in INSTALLS:
    make_install_scenario(_name, _folder, _expected)


@scenario("picker-overwrite-prompt")
def overwrite_prompt(run):
    # A folder that holds a file of the dummy name: the platform asks; No keeps the picker open,
    # Yes closes it, and the file is never touched.
    dummy = os.path.join(run.unix_path("C:\\Apps"), DUMMY)
    os.makedirs(os.path.dirname(dummy))
    with open(dummy, "wb") as f:
        f.write(b"keep me")
    start(run)
    open_picker(run)
    for answer in (IDNO, IDYES):
        choose(run, "C:\\Apps")
        prompt = run.window(PICKER, with_id=IDYES)
        check_eq(buttons(prompt), [IDYES, IDNO], "prompt buttons")
        check_eq(prompt["owner_caption"], PICKER, "prompt owner")
        # Wine's prompt does not name the file.
        check_eq(box_text(prompt), OVERWRITE_TEXT, "prompt text")
        run.screenshot(f"overwrite-prompt-{answer}")
        run.act("answer", PICKER, with_id=IDYES, id=answer)
        if answer == IDNO:
            wait_gone(run, PICKER, with_id=IDYES)
            run.window(PICKER, with_id=NAME_BOX)
            check_eq(dialog_dir(run), DEFAULT_DIR, "edit box after No")
    wait_picker_closed(run)
    check_eq(dialog_dir(run), "C:\\Apps", "edit box after Yes")
    quit_dialog(run)
    with open(dummy, "rb") as f:
        check_eq(f.read(), b"keep me", "the dummy-named file")
