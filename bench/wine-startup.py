#!/usr/bin/python3
"""Under Wine, one run, figures side by side with their baselines (medians of several runs):
  - start-up: from creating the installer's process to its dialog on the screen, against the
    same for MiniDialog.exe, a minimal dialog program built the same way (the floor);
  - Install to the success message, into an existing directory with a viewer that exits at once,
    against copying the expanded viewer into place with CopyFileA and starting it once;
  - from the viewer's exit to the outcome message, against one 250 ms wait slice.
All times are taken inside the prefix by the driver (QueryPerformanceCounter), with the prefix's
wineserver kept running, after one warm-up round that is not counted.

    bench/wine-startup.py [--runs N] [--build build/win64]
"""

import argparse
import os
import shutil
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
sys.dont_write_bytecode = True

import harness  # noqa: E402
import runner  # noqa: E402
from harness import check  # noqa: E402

DIALOG = "Install Tolvane"
MINI = "Mini Dialog"
SUCCESS = "Thanks for trying Tolvane..."
TEST_BUILD = "TolvaneSetupTestViewer.exe"
SLICE_MS = 250


def ms(result):
    check(result["ok"], f"driver {result['command']}: {result['error']}")
    return result["window" if "window" in result else "result"]["elapsed_us"] / 1000.0


class Bench:
    def __init__(self, run):
        self.run = run
        self.dirs = 0

    def close_dialog(self, caption, exe_name):
        self.run.act("click", caption, id=2)
        for _ in range(200):
            if self.run.absent(caption):
                return
            time.sleep(0.05)
        raise harness.Failure(f"{exe_name} did not close")

    def startup(self, exe_name, caption):
        r = self.run.driver("launch", exe="C:\\setup\\" + exe_name, dir="C:\\setup",
                            caption=caption)
        took = ms(r)
        self.close_dialog(caption, exe_name)
        return took

    def fresh_dir(self):
        self.dirs += 1
        d = f"C:\\bench\\run{self.dirs}"
        os.makedirs(self.run.unix_path(d))
        return d

    def start_installer(self, exe_name, directory, env=None):
        run = self.run
        run.exe_name = exe_name
        saved = dict(run.env)
        run.env.update(env or {})
        try:
            run.start()
        finally:
            run.env = saved
        run.window(DIALOG)
        run.act("settext", DIALOG, id=1000, text=directory)

    def finish_installer(self):
        self.run.act("answer", SUCCESS, id=1)
        check(self.run.wait_exit() == 0, "installer failed")

    def install_to_message(self):
        self.start_installer("TolvaneSetup.exe", self.fresh_dir())
        took = ms(self.run.driver("click", caption=DIALOG, id=1, time_until=SUCCESS))
        self.finish_installer()
        return took

    def copy_and_start(self):
        target = self.fresh_dir() + "\\Tolvane.exe"
        r = self.run.driver("copyrun", **{"from": "C:\\harness\\Tolvane.exe"}, to=target,
                            args="/AutoRegister")
        check(r["result"]["exit_code"] == 0, "the copied viewer failed")
        return ms(r)

    def exit_to_message(self):
        self.start_installer(TEST_BUILD, self.fresh_dir(), {"TOLVANE_VIEWER_RUN_MS": "1500"})
        self.run.act("click", DIALOG, id=1)
        took = ms(self.run.driver("watch", image="Tolvane.exe", caption=SUCCESS))
        self.finish_installer()
        return took


def row(cells, widths=(50, 10, 10, 36, 8, 9)):
    return "| " + " | ".join(str(c).ljust(w) if i in (0, 3) else str(c).rjust(w)
                             for i, (c, w) in enumerate(zip(cells, widths))) + " |"


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--runs", type=int, default=9)
    ap.add_argument("--build", default=os.path.join(ROOT, "build/win64"))
    ap.add_argument("--work", default=os.path.join(ROOT, "build/bench-wine"))
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    files = {"installer": os.path.join(build, "TolvaneSetup.exe"),
             "test": os.path.join(build, TEST_BUILD),
             "mini": os.path.join(build, "tests/wine/MiniDialog.exe"),
             "driver": os.path.join(build, "tests/wine/tolvane-driver.exe"),
             "viewer": os.path.join(build, "viewer/Tolvane.exe")}
    for path in files.values():
        if not os.path.isfile(path):
            print(f"wine-startup: {path} is missing (run scripts/build.sh)", file=sys.stderr)
            return 1

    prefix, logs = os.path.join(args.work, "prefix"), os.path.join(args.work, "logs")
    shutil.rmtree(logs, ignore_errors=True)
    os.makedirs(logs)
    runner.make_template(prefix)
    display = runner.Display(100)
    entry = {"name": "bench", "env": {}}
    run = harness.Run(entry, prefix, display.name, logs, files["installer"], files["driver"],
                      time.monotonic() + 60 * (5 + args.runs))
    for key in ("test", "mini"):
        shutil.copy2(files[key], run.setup_dir)
    shutil.copy2(files["viewer"], run.harness_dir)
    runner.run_quiet([harness.WINESERVER, "-p"], run.env, 20)
    b = Bench(run)
    figures = {k: [] for k in ("setup", "mini", "install", "copy", "exit")}
    try:
        for i in range(args.runs + 1):  # round 0 warms the prefix up and is not counted
            got = {"setup": b.startup("TolvaneSetup.exe", DIALOG),
                   "mini": b.startup("MiniDialog.exe", MINI),
                   "install": b.install_to_message(), "copy": b.copy_and_start(),
                   "exit": b.exit_to_message()}
            if i:
                for k, v in got.items():
                    figures[k].append(v)
            print(f"round {i}{' (warm-up)' if not i else ''}: " +
                  ", ".join(f"{k} {v:.1f} ms" for k, v in got.items()), flush=True)
    except harness.Failure as e:
        print(f"wine-startup FAILED: {e} (logs in {logs})")
        return 1
    finally:
        run.finish()
        display.close()

    med = {k: statistics.median(v) for k, v in figures.items()}
    low = {k: min(v) for k, v in figures.items()}

    def line(measure, ours, base, base_is):
        cells = [measure, f"{med[ours]:.1f}", f"{med[base]:.1f}" if base else str(SLICE_MS),
                 base_is, f"{med[ours] / (med[base] if base else SLICE_MS):.2f}x",
                 f"{low[ours] / (low[base] if base else SLICE_MS):.2f}x"]
        print(row(cells))

    print()
    print(f"Medians of {args.runs} runs, milliseconds (wine64, Xvfb, prefix server kept running);")
    print("the last column compares the fastest runs, which the machine's load disturbs least.")
    print()
    print(row(["measure", "ours", "baseline", "baseline is", "ratio", "min ratio"]))
    print(row(["-" * 50, "-" * 9 + ":", "-" * 9 + ":", "-" * 36, "-" * 7 + ":", "-" * 8 + ":"]))
    line("start to dialog visible", "setup", "mini", "MiniDialog.exe, same measure")
    line("Install to success message (existing dir)", "install", "copy",
         "CopyFileA + one start of the viewer")
    line("viewer's exit to the outcome message", "exit", None, "one wait slice")
    print()
    for k, v in figures.items():
        print(f"{k}: " + " ".join(f"{x:.0f}" for x in sorted(v)) + " ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
