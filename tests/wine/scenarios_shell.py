"""The installer shell: start-up, the platform check and the install dialog, left by Cancel."""

from harness import (Failure, box_text, buttons, check, check_eq, check_stop_icon,
                     children_by_id, normalise_id, scenario)

DIALOG = "Install Tolvane"
REFUSAL = "Unable to install"
REFUSAL_TEXT = "Sorry.\nThis version of Tolvane requires Windows 95 or Windows NT."
DEFAULT_DIR = "C:\\Program Files\\Brindlecot\\Tolvane"
VERSION_LINE = "Version 4.2 R1"
MAKER_KEY = "HKLM\\SOFTWARE\\Brindlecot"
DIR_KEY = MAKER_KEY + "\\Tolvane\\ActiveX"
CURRENT_VERSION = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"

# Top-level dialogs gain WS_CLIPSIBLINGS and DS_3DLOOK under Wine; edits and statics trade
# WS_BORDER for WS_EX_CLIENTEDGE.
WS_CLIPSIBLINGS, DS_3DLOOK, WS_BORDER = 0x04000000, 0x4, 0x00800000
WS_EX_TRANSPARENT, WS_EX_CLIENTEDGE, WS_EX_APPWINDOW = 0x20, 0x200, 0x00040000


def image(resource_id):
    # Wine reads an image static's text back as the template's resource reference.
    return "\xff" + chr(resource_id)


# The dialog's controls in template (= Z and tab) order: id, class, text ("": empty, ...: some
# text), style.
CONTROLS = [
    (1, "Button", "Install", 0x50010001),
    (2, "Button", "Cancel", 0x50010000),
    (-1, "Static", ..., 0x50000000),
    (1003, "Static", image(128), 0x40000003),
    (-1, "Static", "Thank you for trying Brindlecot's Tolvane ActiveX Viewer", 0x50000001),
    (-1, "Static", ..., 0x50000000),
    (-1, "Button", "", 0x50000007),
    (1000, "Edit", DEFAULT_DIR, 0x50810080),
    (-1, "Static", "Tolvane will be installed in the following directory:", 0x50000001),
    (1001, "Button", "...", 0x50000000),
    (-1, "Static", "Install Tolvane on your computer.", 0x50000002),
    (-1, "Static", "Cancel the installation.", 0x50000002),
    (-1, "Button", "", 0x50000007),
    (-1, "Static", image(135), 0x5080120E),
    (1002, "Static", VERSION_LINE, 0x50000001),
    (1004, "Static", image(222), 0x5000000E),
    (1005, "Static", image(220), 0x5000000E),
]


def disk_state(run):
    """What the installer could leave on C: (the harness's own folder and Windows excluded)."""
    return {p for p in run.tree("C:\\") if not p.startswith(("windows", "harness"))}


def registry_state(run):
    return [run.reg_dump(MAKER_KEY), run.reg_dump("HKCU\\Software\\Brindlecot")]


def dialog_dir(run):
    w = run.window(DIALOG)
    return children_by_id(w)[1000]["text"]


def cancel_and_check_unchanged(run, before_disk, before_reg, how="button"):
    """Leaves the dialog one of the ways that cancel it; nothing may have changed."""
    if how == "button":
        run.act("click", DIALOG, id=2)
    elif how == "escape":
        run.act("key", DIALOG, key="escape")
    elif how == "close-box":
        run.act("close", DIALOG)
    else:
        raise Failure(f"unknown way out {how}")
    code = run.wait_exit()
    check(code != 1, "exit code 1 (the fatal-error code) after a cancel")
    check_eq(sorted(disk_state(run) - before_disk), [], "files created")
    check_eq(sorted(before_disk - disk_state(run)), [], "files removed")
    check_eq(registry_state(run), before_reg, "registry under Brindlecot")


def check_dialog(w):
    check_eq(w["text"], DIALOG, "caption")
    check_eq(w["class"], "#32770", "window class")
    check_eq(w["style"] & ~(WS_CLIPSIBLINGS | DS_3DLOOK), 0x90C800C0, "dialog style")
    check(w["exstyle"] & WS_EX_APPWINDOW, f"dialog exstyle {w['exstyle']:#x} lacks APPWINDOW")
    check_eq(w["owner"], 0, "owner")
    check(w["centred"], f"dialog not centred: {w['rect']} on a {w['screen']} screen")
    check_eq(w["focus_id"], 1, "initial focus")
    got = [(normalise_id(c["id"]), c["class"]) for c in w["children"]]
    check_eq(got, [(c[0], c[1]) for c in CONTROLS], "controls in template order")
    for (cid, _, text, style), c in zip(CONTROLS, w["children"]):
        what = f"control {cid} ({c['class']} {c['text']!r})"
        check_eq(c["style"] & ~WS_BORDER, style & ~WS_BORDER, f"{what} style")
        bordered = bool(c["style"] & WS_BORDER or c["exstyle"] & WS_EX_CLIENTEDGE)
        check_eq(bordered, bool(style & WS_BORDER), f"{what} border")
        check_eq(c["visible"], bool(style & 0x10000000), f"{what} visible")
        if text is ...:
            check(c["text"], f"{what} has no text")
        else:
            check_eq(c["text"], text, f"{what} text")
    version = children_by_id(w)[1002]
    check(version["exstyle"] & WS_EX_TRANSPARENT, "version line is not transparent")


@scenario("shell-fresh-dialog-cancel")
def fresh_dialog_cancel(run):
    before_disk, before_reg = disk_state(run), registry_state(run)
    check_eq(before_reg, [None, None], "Brindlecot keys before the run")
    check(not run.tree("C:\\Program Files\\Brindlecot"), "Brindlecot folder before the run")
    run.start()
    w = run.window(DIALOG)
    run.screenshot("install-dialog")
    check_dialog(w)
    cancel_and_check_unchanged(run, before_disk, before_reg, "button")


def make_cancel_scenario(how):
    @scenario("shell-cancel-by-" + how)
    def cancel_by(run):
        before_disk, before_reg = disk_state(run), registry_state(run)
        run.start()
        check_eq(dialog_dir(run), DEFAULT_DIR, "proposed directory")
        cancel_and_check_unchanged(run, before_disk, before_reg, how)

    return cancel_by


for _how in ("escape", "close-box"):
    make_cancel_scenario(_how)


@scenario("shell-cancel-after-typing")
def cancel_after_typing(run):
    # A typed directory is neither created nor recorded when the user cancels.
    before_disk, before_reg = disk_state(run), registry_state(run)
    run.start()
    run.window(DIALOG)
    run.act("settext", DIALOG, id=1000, text="C:\\Typed\\Target")
    check_eq(dialog_dir(run), "C:\\Typed\\Target", "edit box after typing")
    cancel_and_check_unchanged(run, before_disk, before_reg)


@scenario("shell-tab-order")
def tab_order(run):
    # Install, Cancel, the edit box, around again: the "..." button is no tab stop.
    run.start()
    seen = [run.window(DIALOG)["focus_id"]]
    for _ in range(3):
        run.act("key", DIALOG, key="tab")
        seen.append(run.window(DIALOG, no_children=True)["focus_id"])
    check_eq(seen, [1, 2, 1000, 1], "focus along Tab")
    run.act("click", DIALOG, id=2)
    run.wait_exit()


# Registry set-up before the start, and the directory the dialog must propose.
PROPOSALS = [
    ("recorded", [(DIR_KEY, None, "REG_SZ", "D:\\Apps\\Viewer")], "D:\\Apps\\Viewer"),
    ("recorded-missing-dir", [(DIR_KEY, None, "REG_SZ", "Q:\\No Such\\Place ")],
     "Q:\\No Such\\Place "),
    ("recorded-empty", [(DIR_KEY, None, "REG_SZ", "")], ""),
    ("recorded-expand-sz", [(DIR_KEY, None, "REG_EXPAND_SZ", "D:\\Apps\\Viewer")], DEFAULT_DIR),
    ("recorded-dword", [(DIR_KEY, None, "REG_DWORD", "7")], DEFAULT_DIR),
    ("named-value-only", [(DIR_KEY, "Dir", "REG_SZ", "D:\\Apps\\Viewer")], DEFAULT_DIR),
    ("program-files-trailing-slash",
     [(CURRENT_VERSION, "ProgramFilesDir", "REG_SZ", "E:\\Progs\\")],
     "E:\\Progs\\\\Brindlecot\\Tolvane"),
]


def make_proposal_scenario(name, values, expected):
    @scenario("shell-proposal-" + name)
    def proposal(run):
        for key, value, rtype, data in values:
            run.reg_add(key, value, rtype, data)
        before_disk, before_reg = disk_state(run), registry_state(run)
        before_pf = run.reg_query(CURRENT_VERSION, "ProgramFilesDir")
        run.start()
        check_eq(dialog_dir(run), expected, "proposed directory")
        run.screenshot("install-dialog")
        cancel_and_check_unchanged(run, before_disk, before_reg)
        check_eq(run.reg_query(CURRENT_VERSION, "ProgramFilesDir"), before_pf, "ProgramFilesDir")

    return proposal


for _name, _values, _expected in PROPOSALS:
    make_proposal_scenario(_name, _values, _expected)


@scenario("shell-proposal-no-program-files")
def proposal_no_program_files(run):
    # Neither value readable: a path from the root of the current drive.
    run.reg_delete(CURRENT_VERSION, "ProgramFilesDir")
    check_eq(run.reg_query(CURRENT_VERSION, "ProgramFilesDir"), None, "ProgramFilesDir deleted")
    run.start()
    check_eq(dialog_dir(run), "\\Brindlecot\\Tolvane", "proposed directory")
    run.act("click", DIALOG, id=2)
    run.wait_exit()
    check_eq(registry_state(run), [None, None], "registry under Brindlecot")


@scenario("shell-refused-win31")
def refused_win31(run):
    run.set_windows_version("win31")
    before_disk = disk_state(run)
    run.start()
    box = run.window(REFUSAL)
    shot = run.screenshot("refusal-message")
    check_eq(box["class"], "#32770", "message box class")
    check_eq(box_text(box), REFUSAL_TEXT, "message text")
    check_eq(buttons(box), [1], "buttons (OK only)")
    check_eq(box["owner"], 0, "owner")
    icon = children_by_id(box).get(1088)
    check(icon is not None and icon["visible"] and icon["has_icon"], "no icon in the message")
    check_eq(icon["style"] & 0x1F, 0x3, "icon static type (SS_ICON)")
    check_stop_icon(run, shot, icon["rect"])
    check(run.absent(DIALOG), "the install dialog exists beside the refusal")
    run.act("answer", REFUSAL, id=1)
    code = run.wait_exit()
    check(code != 1, "exit code 1 (the fatal-error code) after the refusal")
    check(run.absent(DIALOG), "the install dialog came up after the refusal")
    check_eq(registry_state(run), [None, None], "registry under Brindlecot")
    check_eq(sorted(disk_state(run) - before_disk), [], "files created")


def make_version_scenario(version):
    @scenario("shell-accepted-" + version)
    def accepted(run):
        run.set_windows_version(version)
        run.start()
        w = run.window(DIALOG)
        run.screenshot("install-dialog")
        check(run.absent(REFUSAL), "refusal shown")
        c = children_by_id(w)
        check_eq((c[1000]["text"], c[1002]["text"]), (DEFAULT_DIR, VERSION_LINE), "texts")
        run.act("click", DIALOG, id=2)
        run.wait_exit()
        check_eq(registry_state(run), [None, None], "registry under Brindlecot")

    return accepted


for _version in ("win95", "nt351", "nt40"):
    make_version_scenario(_version)
