"""The harness checked against its own minimal dialog program, before any installer exists."""

from harness import (Failure, box_text, buttons, check, check_eq, check_stop_icon,
                     children_by_id, scenario)

MINI = "Mini Dialog"
BOX = "Mini Box"
WS_CLIPSIBLINGS, DS_3DLOOK, WS_BORDER = 0x04000000, 0x4, 0x00800000


@scenario("harness-mini-dialog", target="mini")
def mini_dialog(run):
    run.start()
    w = run.window(MINI)
    run.screenshot("mini-dialog")
    check_eq(w["style"] & ~(WS_CLIPSIBLINGS | DS_3DLOOK), 0x90C800C0, "dialog style")
    check(w["exstyle"] & 0x00040000, "dialog lacks WS_EX_APPWINDOW")
    check(w["centred"], f"dialog not centred: {w['rect']} on {w['screen']}")
    check_eq(w["owner"], 0, "owner")
    check_eq(w["focus_id"], 1, "initial focus")
    c = children_by_id(w)
    check_eq([c[i]["text"] for i in (1, 2, 1000)], ["OK", "Cancel", "platform 2 version 6.1"],
             "texts")
    check_eq(c[1000]["style"] & ~WS_BORDER, 0x50010080, "edit style")
    check(not c[1003]["visible"], "hidden icon static is visible")
    check_eq(c[1003]["style"], 0x40000003, "icon static style")
    run.act("settext", MINI, id=1000, text="D:\\Typed Dir")
    check_eq(children_by_id(run.window(MINI))[1000]["text"], "D:\\Typed Dir", "text after set")
    run.act("click", MINI, id=1)
    check_eq(run.wait_exit(), 1, "exit code after OK")


# Every way out of the dialog, and the result it must give.
EXITS = [
    ("cancel-button", lambda run: run.act("click", MINI, id=2), 2),
    ("bm-click-ok", lambda run: run.act("click", MINI, id=1, how="bm"), 1),
    ("escape-posted", lambda run: run.act("key", MINI, key="escape"), 2),
    ("enter-input", lambda run: run.act("key", MINI, key="enter", how="input"), 1),
    ("close-box", lambda run: run.act("close", MINI), 2),
]


def make_exit_scenario(name, action, code):
    @scenario("harness-exit-" + name, target="mini")
    def exit_scenario(run):
        run.start()
        run.window(MINI)
        action(run)
        check_eq(run.wait_exit(), code, "exit code")

    return exit_scenario


for _name, _action, _code in EXITS:
    make_exit_scenario(_name, _action, _code)


@scenario("harness-tab-order", target="mini")
def tab_order(run):
    run.start()
    seen = [run.window(MINI)["focus_id"]]
    for _ in range(3):
        run.act("key", MINI, key="tab")
        seen.append(run.window(MINI, no_children=True)["focus_id"])
    check_eq(seen, [1, 2, 1000, 1], "focus along Tab")
    run.act("click", MINI, id=2)
    run.wait_exit()


@scenario("harness-message-box", target="mini")
def message_box(run):
    run.start("/box")
    b = run.window(BOX)
    shot = run.screenshot("mini-box")
    check_eq(box_text(b), "First line.\nSecond line.", "box text")
    check_eq(buttons(b), [1], "buttons")
    check_eq(b["owner"], 0, "owner")
    icon = children_by_id(b).get(1088)
    check(icon is not None and icon["has_icon"], "no icon in the box")
    check_stop_icon(run, shot, icon["rect"])
    check(run.absent(MINI), "dialog exists beside the box")
    run.act("answer", BOX, id=1)
    check_eq(run.wait_exit(), 1, "exit code after OK")


@scenario("harness-timeout-kills", target="mini")
def timeout_kills(run):
    # A program nobody answers: waiting must end in a failure, with the prefix killed.
    run.start()
    run.window(MINI)
    try:
        run.wait_exit(timeout=2)
    except Failure:
        check(not run.running(), "program still running after the kill")
        return
    raise Failure("wait_exit returned for a dialog nobody closed")


@scenario("harness-windows-version", target="mini")
def windows_version(run):
    # The per-program version reaches the program: the dialog still comes up under win31.
    run.set_windows_version("win31")
    check_eq(run.reg_query("HKCU\\Software\\Wine\\AppDefaults\\MiniDialog.exe", "Version"),
             ("REG_SZ", "win31"), "version value")
    run.start()
    check_eq(children_by_id(run.window(MINI))[1000]["text"], "platform 0 version 3.10", "version")
    run.act("close", MINI, how="wmclose")
    check_eq(run.wait_exit(), 2, "exit code after WM_CLOSE")


@scenario("harness-folder-picker", target="mini")
def folder_picker(run):
    run.start("/pick")
    run.window("Mini Pick", with_id=1148)
    run.screenshot("mini-picker")
    r = run.act("picker", "Mini Pick")
    check_eq(r["folder"], "C:\\windows", "picker's current folder")
    r = run.act("picker", "Mini Pick", set_name="C:\\setup\\_______", ok=True)
    check_eq(r["name"], "C:\\setup\\_______", "name typed into box 1148")
    b = run.window(BOX)
    check_eq(box_text(b), "C:\\setup\\_______", "path the picker returned")
    run.act("answer", BOX, id=1)
    check_eq(run.wait_exit(), 1, "exit code")
