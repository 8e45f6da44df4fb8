#!/usr/bin/python3
"""Walks one complete installation under Wine on a virtual display, as a person would: the
dialog, the question about the missing directories, Install, the registration wait, the success
message. Saves a screenshot of each step in build/screenshots/ and prints where Tolvane was
installed. Exit code 0 when the installation completed.

It runs the test-viewer build under the product's file name, with a viewer that takes a few
seconds to register itself, so that the registration wait lasts long enough to be seen.

    tests/wine/walkthrough.py [--installer DIR_OF_BUILD] [--screenshots DIR]
    tests/wine/walkthrough.py --prepare-prefix DIR   (a prefix with the harness's settings)
"""

import argparse
import os
import shutil
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True

import harness  # noqa: E402
import runner  # noqa: E402
from harness import Failure, box_text, check, check_eq, children_by_id  # noqa: E402

DIALOG = "Install Tolvane"
QUESTION = "TolvaneSetup"
REGISTERING = "Registering Tolvane..."
SUCCESS = "Thanks for trying Tolvane..."
DEFAULT_DIR = "C:\\Program Files\\Brindlecot\\Tolvane"
PRODUCT_NAME = "TolvaneSetup.exe"
READY_MARK = ".tolvane-prefix-ready"
REGISTRATION_MS = 4000


def prepare_prefix(path):
    """A prefix with the runner's template settings, made once and kept."""
    if os.path.exists(os.path.join(path, READY_MARK)):
        return
    seconds = runner.make_template(path)
    open(os.path.join(path, READY_MARK), "w").close()
    print(f"Wine prefix ready in {path} ({seconds:.0f} s)")


def walk(run, shots):
    def shot(name):
        path = run.screenshot(name)
        dest = os.path.join(shots, os.path.basename(path))
        shutil.copy2(path, dest)
        print(f"  {os.path.relpath(dest, REPO)}")

    run.start()
    w = run.window(DIALOG)
    check_eq(children_by_id(w)[1000]["text"], DEFAULT_DIR, "proposed directory")
    time.sleep(0.5)  # let the dialog's pixels settle before the picture
    shot("dialog")
    run.act("click", DIALOG, id=1)
    box = run.window(QUESTION)
    check(DEFAULT_DIR.rsplit("\\", 1)[0] in box_text(box), "the question names another directory")
    shot("confirmation-question")
    run.act("answer", QUESTION, id=1)
    run.window(REGISTERING, wait_ms=10000, no_children=True)
    shot("after-install")
    time.sleep(REGISTRATION_MS / 2000)
    check(not run.absent(REGISTERING), "the registration wait ended too early for its picture")
    shot("registration-wait")
    run.window(SUCCESS, wait_ms=30000)
    shot("success-message")
    run.act("answer", SUCCESS, id=1)
    check_eq(run.wait_exit(), 0, "installer's exit code")
    shot("after-the-end")
    exe = DEFAULT_DIR + "\\Tolvane.exe"
    check(os.path.isfile(run.unix_path(exe)), f"{exe} is missing")
    check_eq(run.reg_query("HKLM\\SOFTWARE\\Brindlecot\\Tolvane\\ActiveX"), ("REG_SZ", DEFAULT_DIR),
             "recorded directory")


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(REPO, "build/win64"),
                    help="the Windows build directory")
    ap.add_argument("--screenshots", default=os.path.join(REPO, "build/screenshots"))
    ap.add_argument("--work", default=os.path.join(REPO, "build/walkthrough"),
                    help="the prefix and the driver's logs")
    ap.add_argument("--prepare-prefix", metavar="DIR", help="make DIR a prefix and stop")
    args = ap.parse_args()
    if args.prepare_prefix:
        prepare_prefix(os.path.abspath(args.prepare_prefix))
        return 0

    program = os.path.join(args.build, "TolvaneSetupTestViewer.exe")
    driver = os.path.join(args.build, "tests/wine/tolvane-driver.exe")
    for path in (program, driver):
        if not os.path.isfile(path):
            print(f"walkthrough: {path} is missing (run scripts/build.sh)", file=sys.stderr)
            return 1
    shutil.rmtree(args.screenshots, ignore_errors=True)
    os.makedirs(args.screenshots)
    prefix, logs = os.path.join(args.work, "prefix"), os.path.join(args.work, "logs")
    shutil.rmtree(logs, ignore_errors=True)
    os.makedirs(logs)
    print("Preparing a fresh Wine prefix ...", flush=True)
    runner.make_template(prefix)

    display = runner.Display(90)
    entry = {"name": "walkthrough", "env": {"TOLVANE_VIEWER_RUN_MS": str(REGISTRATION_MS)}}
    run = harness.Run(entry, prefix, display.name, logs, program, driver,
                      time.monotonic() + 120)
    # The product's name, so every caption reads as the product's own.
    os.rename(os.path.join(run.setup_dir, run.exe_name), os.path.join(run.setup_dir, PRODUCT_NAME))
    run.exe_name = PRODUCT_NAME
    runner.run_quiet([harness.WINESERVER, "-p"], run.env, 20)
    print(f"Installing on the virtual display {display.name}; screenshots:", flush=True)
    try:
        walk(run, args.screenshots)
    except Failure as e:
        print(f"walkthrough FAILED: {e} (logs in {logs})")
        return 1
    finally:
        run.finish()
        display.close()
    print(f"Tolvane was installed in {DEFAULT_DIR} (in the Wine prefix {prefix}, that is "
          f"{run.unix_path(DEFAULT_DIR)})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
