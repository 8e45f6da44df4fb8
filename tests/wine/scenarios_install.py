"""The Install command end to end: the payload expanded by the real LZ32, the registration run of
the installed program, every outcome's message, rollback and what is left on disk and in the
registry."""

import os
import time

from harness import Failure, box_text, buttons, check, check_eq, children_by_id, scenario

DIALOG = "Install Tolvane"
REGISTERING = "Registering Tolvane..."
DEFAULT_DIR = "C:\\Program Files\\Brindlecot\\Tolvane"
EXE = "Tolvane.exe"
MAKER_KEY = "HKLM\\SOFTWARE\\Brindlecot"
DIR_KEY = MAKER_KEY + "\\Tolvane\\ActiveX"
VIEWER_KEY = MAKER_KEY + "\\Tolvane\\Viewer"
TEST_BUILD = "TolvaneSetupTestViewer.exe"
VIEWER_LOG = "C:\\harness\\viewer.log"
EARLIER = b"an earlier Tolvane.exe\r\n"

SUCCESS = ("Thanks for trying Tolvane...", "Tolvane has been installed on your computer.")
REMOVED = ("Sorry for inconviencing you...", "Tolvane has been removed from your computer.")
TIMED_OUT = ("Possible error", "Timeout waiting for auto-registration.")
RETRY_CAPTION = "Tolvane Installation Error"
RETRY_TEXT = ("Unable to install the Tolvane executable in {}.\nPlease make sure that neither "
              "Tolvane nor Internet Explorer is currently running.")
FATAL_CAPTION = "Fatal Error"
FATAL_TEXT = ("An unrecoverable installation error has occurred.\n{}\n\nPlease email Brindlecot "
              "at:\n\n\tsetup-support@brindlecot.example")
IDOK, IDCANCEL, IDRETRY = 1, 2, 4


# --- what the installer shows --------------------------------------------------------------------

def icon_kind(run, shot, rect):
    """The message icon by its colours: Wine's stop sign is a red disc, the exclamation a yellow
    triangle, the information and question icons blue discs, told apart by their white glyph near
    the top: the dot of the "i" is narrow, the arc of the "?" wide."""
    px = run.pixels(shot, rect)
    red = sum(1 for r, g, b in px if r > 160 and g < 90 and b < 90)
    yellow = sum(1 for r, g, b in px if r > 160 and g > 120 and b < 100)
    blue = sum(1 for r, g, b in px if b > 150 and r < 110)
    counts = {"stop": red, "exclamation": yellow, "blue": blue}
    kind = max(counts, key=counts.get)
    if counts[kind] <= len(px) // 8:
        return f"none ({counts} of {len(px)})"
    if kind != "blue":
        return kind
    width = rect[2] - rect[0]
    span = 0
    for y in range(width * 6 // 32, width * 11 // 32):
        row = px[y * width:(y + 1) * width]
        xs = [x for x in range(width * 6 // 32, width * 26 // 32)
              if all(v > 200 for v in row[x])]
        span = max(span, xs[-1] - xs[0] + 1 if xs else 0)
    return "question" if span > width * 5 // 32 else "information"


def check_box(run, caption, text, ids, icon, owner_caption, step):
    """Waits for a message box and checks all of it; returns it still open."""
    box = run.window(caption, wait_ms=30000)
    shot = run.screenshot(step)
    check_eq(box_text(box), text, f"text of {caption!r}")
    check_eq(buttons(box), sorted(ids), f"buttons of {caption!r}")
    check_eq(box["owner_caption"], owner_caption, f"owner of {caption!r}")
    static = children_by_id(box).get(1088)
    check(static is not None and static["visible"], f"no icon in {caption!r}")
    check_eq(icon_kind(run, shot, static["rect"]), icon, f"icon of {caption!r}")
    return box


def question_caption(run):
    # The framework's own message boxes carry the application title: the file name, no extension.
    return os.path.splitext(run.exe_name)[0]


def check_question(run, outermost, owner=DIALOG):
    text = f'The directory "{outermost}" does not exist. Do you wish to create it?'
    return check_box(run, question_caption(run), text, [IDOK, IDCANCEL], "question", owner,
                     "question")


def answer(run, caption, button):
    run.act("answer", caption, id=button)


def install(run, directory=None):
    """Starts the installer, types the directory (unless None) and presses Install; returns the
    dialog as it was just before the press."""
    run.start()
    w = run.window(DIALOG)
    if directory is not None:
        run.act("settext", DIALOG, id=1000, text=directory)
        w = run.window(DIALOG)
    run.act("click", DIALOG, id=IDOK)
    return w


# --- what the installer leaves -------------------------------------------------------------------

def disk_state(run):
    """What the installer could leave on C: (the harness's own folder and Windows excluded)."""
    return {p for p in run.tree("C:\\") if not p.startswith(("windows", "harness"))}


def registry_state(run):
    return [run.reg_dump(MAKER_KEY), run.reg_dump("HKCU\\Software\\Brindlecot")]


def read(run, windows_path):
    with open(run.unix_path(windows_path), "rb") as f:
        return f.read()


def viewer_bytes(run):
    """The viewer that the program under test embeds, as the build made it."""
    name = "TolvaneTestViewer.exe" if run.exe_name == TEST_BUILD else "Tolvane.exe"
    with open(os.path.join(os.path.dirname(run.program_path), "viewer", name), "rb") as f:
        return f.read()


def check_installed(run, directory):
    exe = directory + "\\" + EXE
    check(os.path.isfile(run.unix_path(exe)), f"{exe} missing")
    check(read(run, exe) == viewer_bytes(run), f"{exe} is not byte-identical to the viewer")
    check_eq(run.reg_query(VIEWER_KEY, "Registered"), ("REG_SZ", exe), "viewer's registration")


def check_nothing_left(run, before_disk, what):
    check_eq(sorted(disk_state(run) - before_disk), [], f"files created ({what})")
    check_eq(sorted(before_disk - disk_state(run)), [], f"files removed ({what})")


def put_earlier_exe(run, directory):
    path = run.unix_path(directory + "\\" + EXE)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(EARLIER)


def wait_for_file(run, windows_path, seconds=20):
    end = time.monotonic() + seconds
    while not os.path.exists(run.unix_path(windows_path)):
        check(time.monotonic() < end, f"{windows_path} did not appear")
        time.sleep(0.05)


def viewer_running(run):
    """Whether the installed Tolvane.exe still runs: the driver's wait for its end times out."""
    r = run.driver("watch", image=EXE, caption="-", within=300)
    return r["error"] == f"{EXE} did not end in time"


# --- Removed and TimedOut ------------------------------------------------------------------------

# The slow one first, so that it overlaps the others when two workers run.
@scenario("install-timed-out", timeout=220, labels=("slow",), program=TEST_BUILD,
          env={"TOLVANE_VIEWER_RUN_MS": "200000"})
def timed_out(run):
    before_disk, before_reg = disk_state(run), registry_state(run)
    install(run)
    check_question(run, "C:\\Program Files\\Brindlecot")
    answer(run, question_caption(run), IDOK)
    run.window(REGISTERING, wait_ms=20000, no_children=True)
    started = time.monotonic()
    box = run.driver("inspect", caption=TIMED_OUT[0], wait=175000, no_children=True, timeout=185)
    waited = time.monotonic() - started
    check(box["ok"], f"no {TIMED_OUT[0]!r} message: {box['error']}")
    check(waited > 140, f"the timeout message came after {waited:.0f} s, not 150 s")
    check_box(run, *TIMED_OUT, [IDOK], "exclamation", REGISTERING, "timed-out")
    check(viewer_running(run), "the installed program no longer runs")
    # Taken back before the message, except what the running program holds: Wine does not
    # delete the image of a running program, so the file and the directories above it stay.
    check_eq(sorted(disk_state(run) - before_disk),
             sorted(["Program Files/Brindlecot", "Program Files/Brindlecot/Tolvane",
                     "Program Files/Brindlecot/Tolvane/" + EXE]),
             "left while the program runs")
    check_eq(run.reg_query(DIR_KEY), None, "recorded directory")
    check_eq(run.reg_dump(VIEWER_KEY), None, "viewer's registration (it has not finished)")
    answer(run, TIMED_OUT[0], IDOK)
    check_eq(run.wait_exit(), 0, "exit code")
    check(run.absent(DIALOG), "dialog still open")
    check(viewer_running(run), "the installed program was ended with the installer")
    check_eq(run.reg_query(DIR_KEY), None, "recorded directory after the end")


@scenario("install-removed", program=TEST_BUILD, env={"TOLVANE_VIEWER_EXIT_CODE": "100"})
def removed(run):
    before_disk, before_reg = disk_state(run), registry_state(run)
    install(run)
    check_question(run, "C:\\Program Files\\Brindlecot")
    answer(run, question_caption(run), IDOK)
    check_box(run, *REMOVED, [IDOK], "information", REGISTERING, "removed")
    # Taken back before the message.
    check_nothing_left(run, before_disk, "while the message is up")
    check_eq(registry_state(run), before_reg, "registry while the message is up")
    answer(run, REMOVED[0], IDOK)
    check_eq(run.wait_exit(), 0, "exit code")
    check(run.absent(DIALOG), "dialog still open")
    check_nothing_left(run, before_disk, "after the end")
    check_eq(registry_state(run), before_reg, "registry after the end")


# --- Completed -----------------------------------------------------------------------------------

# Directory typed (None: the proposed one), the outermost missing directory the question names.
COMPLETED = [
    ("default-dir", None, DEFAULT_DIR, "C:\\Program Files\\Brindlecot"),
    ("typed-dir", "C:\\Apps\\Tolvane Viewer", "C:\\Apps\\Tolvane Viewer", "C:\\Apps"),
]


def make_completed_scenario(name, typed, directory, outermost):
    @scenario("install-completed-" + name)
    def completed(run):
        check_eq(registry_state(run), [None, None], "Brindlecot keys before the run")
        install(run, typed)
        check_question(run, outermost)
        check(not os.path.exists(run.unix_path(outermost)), "a directory exists before the OK")
        answer(run, question_caption(run), IDOK)
        check_box(run, *SUCCESS, [IDOK], "information", REGISTERING, "success")
        # One question for the whole chain; the program registered itself; the directory is
        # recorded only once the message has been dismissed.
        check(run.absent(question_caption(run)), "a second question was asked")
        check_installed(run, directory)
        check_eq(run.reg_query(DIR_KEY), None, "directory recorded before the message was closed")
        answer(run, SUCCESS[0], IDOK)
        check_eq(run.wait_exit(), 0, "exit code")
        run.screenshot("after-the-end")
        # The journal was discarded, not undone: the chain and the program stay.
        check_installed(run, directory)
        below = directory[len(outermost) + 1:]
        check_eq(sorted(run.tree(outermost)), [below, os.path.join(below, EXE)],
                 "files left under " + outermost)
        check_eq(run.reg_query(DIR_KEY), ("REG_SZ", directory), "recorded directory")
        # The next run proposes it.
        run.start()
        check_eq(children_by_id(run.window(DIALOG))[1000]["text"], directory, "next proposal")
        run.act("click", DIALOG, id=IDCANCEL)
        run.wait_exit()

    return completed


for _name, _typed, _dir, _outer in COMPLETED:
    make_completed_scenario(_name, _typed, _dir, _outer)


# --- TargetFailed --------------------------------------------------------------------------------

HELD_READY, HELD_RELEASE = "C:\\harness\\held", "C:\\harness\\release"
# Case name, directory (None: the proposed one), held (an earlier Tolvane.exe held open by another
# program) or too long for LZ32 (a path of 128 characters or more), the outermost directory the
# run creates (None: it exists), the answer to the Retry/Cancel message.
LONG_DIR = "C:\\Deep\\" + "d" * 110
TARGET_FAILED = [
    ("held-retry", None, "held", None, IDRETRY),
    ("held-cancel", None, "held", None, IDCANCEL),
    ("long-path-retry", LONG_DIR, "long", "C:\\Deep", IDRETRY),
    ("long-path-cancel", LONG_DIR, "long", "C:\\Deep", IDCANCEL),
]


def make_target_failed_scenario(name, typed, cause, created, reply):
    @scenario("install-target-failed-" + name)
    def target_failed(run):
        directory = typed or DEFAULT_DIR
        exe = directory + "\\" + EXE
        check(cause != "long" or len(exe) >= 128, "the long path is not long enough")
        hold = None
        if cause == "held":
            put_earlier_exe(run, directory)
            hold = run.driver_background("hold", path=exe, seconds=80, ready=HELD_READY,
                                         release=HELD_RELEASE)
            wait_for_file(run, HELD_READY)
            if hold["process"].poll() is not None:
                raise Failure("the hold ended at once: " + run.driver_join(hold)["error"])
        before_disk, before_reg = disk_state(run), registry_state(run)
        w = install(run, typed)
        if created:
            check_question(run, created)
            answer(run, question_caption(run), IDOK)
        check_box(run, RETRY_CAPTION, RETRY_TEXT.format(exe), [IDRETRY, IDCANCEL], "exclamation",
                  DIALOG, "retry-cancel")
        # Rolled back before the message: the run's directories are gone, no Tolvane.ex_ is left,
        # and the earlier file, which the rollback could not delete while it is held, is intact.
        check_nothing_left(run, before_disk, "while the message is up")
        if cause == "held":
            check_eq(read(run, exe), EARLIER, "the held earlier Tolvane.exe")
        check_eq(registry_state(run), before_reg, "registry while the message is up")
        if hold:
            open(run.unix_path(HELD_RELEASE), "w").close()
            check(run.driver_join(hold)["result"]["released"], "the hold was not released")
        answer(run, RETRY_CAPTION, reply)
        if reply == IDCANCEL:
            check_eq(run.wait_exit(), 0, "exit code")
            check(run.absent(DIALOG), "dialog still open")
            check_nothing_left(run, before_disk, "after the end")
            check_eq(registry_state(run), before_reg, "registry after the end")
            return
        # Retry: the dialog is as it was, and the next Install runs the whole command again.
        again = run.window(DIALOG)
        check_eq((again["rect"], children_by_id(again)[1000]["text"]),
                 (w["rect"], children_by_id(w)[1000]["text"]), "dialog after Retry")
        run.act("click", DIALOG, id=IDOK)
        if created:
            # The failed run removed what it had created, so the question comes again.
            check_question(run, created)
            answer(run, question_caption(run), IDCANCEL)
            check_eq(run.window(DIALOG)["rect"], w["rect"], "dialog after the declined question")
            run.act("click", DIALOG, id=IDCANCEL)
            check_eq(run.wait_exit(), 0, "exit code")
            check_nothing_left(run, before_disk, "after the end")
            check_eq(registry_state(run), before_reg, "registry after the end")
            return
        check_box(run, *SUCCESS, [IDOK], "information", REGISTERING, "success")
        check(run.absent(question_caption(run)), "question asked for an existing directory")
        answer(run, SUCCESS[0], IDOK)
        check_eq(run.wait_exit(), 0, "exit code")
        check_installed(run, directory)
        check_eq(sorted(run.tree(directory)), [EXE], "files in the directory")
        check_eq(run.reg_query(DIR_KEY), ("REG_SZ", directory), "recorded directory")

    return target_failed


for _case in TARGET_FAILED:
    make_target_failed_scenario(*_case)


# --- a fatal error -------------------------------------------------------------------------------

# Case name, whether an earlier Tolvane.exe is in the (then existing) target directory.
FATAL = [("fresh-dir", False), ("earlier-exe", True)]


def make_fatal_scenario(name, earlier):
    @scenario("install-fatal-no-temp-file-" + name)
    def fatal(run):
        # A temporary directory that does not exist: no file can be created in it.
        for var in ("TMP", "TEMP"):
            run.reg_add("HKCU\\Environment", var, "REG_SZ", "C:\\No Such Temp")
        if earlier:
            put_earlier_exe(run, DEFAULT_DIR)
        before_disk, before_reg = disk_state(run), registry_state(run)
        install(run)
        if not earlier:
            check_question(run, "C:\\Program Files\\Brindlecot")
            answer(run, question_caption(run), IDOK)
        check_box(run, FATAL_CAPTION, FATAL_TEXT.format("Unable to create temporary file"),
                  [IDOK], "stop", DIALOG, "fatal-error")
        # The Install command has rolled back before the message; the fatal error's own rollback
        # after it finds the journal empty.
        if not earlier:
            check_nothing_left(run, before_disk, "while the message is up")
        answer(run, FATAL_CAPTION, IDOK)
        check_eq(run.wait_exit(), 1, "exit code")
        # The created directories are removed; an earlier program, never opened, is kept.
        check_nothing_left(run, before_disk, "after the end")
        if earlier:
            check_eq(read(run, DEFAULT_DIR + "\\" + EXE), EARLIER, "the earlier Tolvane.exe")
        check_eq(registry_state(run), before_reg, "registry after the end")

    return fatal


for _name, _earlier in FATAL:
    make_fatal_scenario(_name, _earlier)


# --- during the registration wait ----------------------------------------------------------------

@scenario("install-registration-wait", program=TEST_BUILD,
          env={"TOLVANE_VIEWER_RUN_MS": "8000", "TOLVANE_VIEWER_LOG": VIEWER_LOG})
def registration_wait(run):
    directory = "C:\\My Apps\\Tolvane Viewer"
    exe = directory + "\\" + EXE
    w = install(run, directory)
    check_question(run, "C:\\My Apps")
    answer(run, question_caption(run), IDOK)
    # The installer is blocked in its wait: only what answers without its help is asked.
    r = run.window(REGISTERING, wait_ms=10000, quick=True)
    run.screenshot("registration-wait")
    left, top, right, _ = w["rect"]
    got = r["rect"]
    check_eq((got[0], got[1], got[2] - got[0], got[3] - got[1]), (left, top, right - left, 94),
             "dialog's left, top, width and height during the wait")
    icon = children_by_id(r).get(1003)
    check(icon is not None and icon["visible"], "icon control 1003 not visible during the wait")
    check(run.absent(SUCCESS[0]), "the outcome came before the program ended")
    check_box(run, *SUCCESS, [IDOK], "information", REGISTERING, "success")
    answer(run, SUCCESS[0], IDOK)
    check_eq(run.wait_exit(), 0, "exit code")
    check_eq(read(run, VIEWER_LOG), (exe + " /AutoRegister\n").encode(), "viewer's command line")
    check_installed(run, directory)


# --- Enter in the edit box -----------------------------------------------------------------------

def make_enter_scenario(how):
    @scenario("install-enter-in-edit-" + how)
    def enter(run):
        run.start()
        run.window(DIALOG)
        for _ in range(2):  # Install, Cancel, the edit box
            run.act("key", DIALOG, key="tab")
        check_eq(run.window(DIALOG, no_children=True)["focus_id"], 1000, "focus")
        run.act("key", DIALOG, key="enter", how=how)
        check_question(run, "C:\\Program Files\\Brindlecot")
        answer(run, question_caption(run), IDOK)
        check_box(run, *SUCCESS, [IDOK], "information", REGISTERING, "success")
        answer(run, SUCCESS[0], IDOK)
        check_eq(run.wait_exit(), 0, "exit code")
        check_installed(run, DEFAULT_DIR)

    return enter


for _how in ("post", "input"):
    make_enter_scenario(_how)

