#!/usr/bin/python3
"""Runs the Wine end-to-end scenarios: one template prefix per run, a fresh copy per scenario,
one Xvfb display per worker. Prints one line per scenario and "N passed, N failed"."""

import argparse
import fnmatch
import glob
import importlib
import os
import queue
import shutil
import subprocess
import sys
import threading
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the source tree clean

import harness  # noqa: E402

TEMPLATE_REG = """Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000
"""


def load_scenarios():
    for path in sorted(glob.glob(os.path.join(HERE, "scenarios_*.py"))):
        importlib.import_module(os.path.splitext(os.path.basename(path))[0])
    return harness.SCENARIOS


def select(scenarios, patterns, fast):
    chosen = []
    for s in scenarios:
        if fast and "slow" in s["labels"]:
            continue
        if patterns and not any(fnmatch.fnmatchcase(s["name"], p) if any(c in p for c in "*?[")
                                else p in s["name"] for p in patterns):
            continue
        chosen.append(s)
    # The long ones first, longest first, so that they overlap the many short ones.
    chosen.sort(key=lambda s: -s["timeout"] if "slow" in s["labels"] else 0)
    return chosen


def run_quiet(args, env, timeout):
    return subprocess.run(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=timeout).returncode


def make_template(path):
    """wineboot -i with the harness's settings, then wait for the server to write the prefix."""
    shutil.rmtree(path, ignore_errors=True)
    env = harness.wine_env(path, os.environ.get("DISPLAY", ""))
    env.pop("DISPLAY")  # wineboot needs no display
    start = time.monotonic()
    try:
        if run_quiet([harness.WINE64, "wineboot", "-i"], env, 600) != 0:
            raise RuntimeError("wineboot -i failed")
        reg = os.path.join(path, "drive_c", "harness-template.reg")
        with open(reg, "w", newline="\r\n") as f:
            f.write(TEMPLATE_REG)
        if run_quiet([harness.WINE64, "regedit", "/S", "C:\\harness-template.reg"], env, 60) != 0:
            raise RuntimeError("regedit import failed")
        os.remove(reg)
        run_quiet([harness.WINESERVER, "-w"], env, 300)
    except subprocess.TimeoutExpired:
        run_quiet([harness.WINESERVER, "-k"], env, 20)
        raise RuntimeError("template prefix timed out")
    return time.monotonic() - start


class Display:
    """An Xvfb server on the first free display number from base."""

    def __init__(self, base):
        self.proc = None
        for n in range(base, base + 100):
            if os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
                continue
            proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1280x1024x24",
                                     "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            for _ in range(100):
                if os.path.exists(f"/tmp/.X11-unix/X{n}") or proc.poll() is not None:
                    break
                time.sleep(0.05)
            if proc.poll() is None:
                self.proc, self.name = proc, f":{n}"
                return
        raise RuntimeError("no free X display")

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def run_one(entry, args, template, worker, display):
    target = args.installer if entry["target"] == "installer" else args.mini
    if entry["target"] == "installer32":
        target = args.installer32
        unusable = harness.wine32_unusable()
        if unusable:
            return "SKIP", f"32-bit programs cannot run here: {unusable}"
    if entry.get("program"):
        target = os.path.join(os.path.dirname(args.installer), entry["program"])
    if not os.path.isfile(target):
        return "FAIL", f"{entry['target']} not found: {target}"
    if not os.path.isfile(args.driver):
        return "FAIL", f"driver not found: {args.driver}"
    artifacts = os.path.join(args.artifacts, entry["name"])
    shutil.rmtree(artifacts, ignore_errors=True)
    os.makedirs(artifacts)
    prefix = os.path.join(args.work, f"pfx-{worker}")
    shutil.rmtree(prefix, ignore_errors=True)
    copy_start = time.monotonic()
    subprocess.run(["cp", "-a", template, prefix], check=True, timeout=120)
    copy_seconds = time.monotonic() - copy_start
    deadline = time.monotonic() + entry["timeout"]
    run = harness.Run(entry, prefix, display, artifacts, target, args.driver, deadline)
    # Keep the server up between the scenario's programs: later starts take 0.1 s, not 4 s.
    run_quiet([harness.WINESERVER, "-p"], run.env, 20)
    # Belt and braces: whatever a scenario does in Python, its prefix dies at the deadline.
    guard = threading.Timer(entry["timeout"] + 5, run.kill_server)
    guard.start()
    body_start = time.monotonic()
    try:
        entry["fn"](run)
        return "PASS", ""
    except harness.Skip as e:
        return "SKIP", str(e)
    except harness.Failure as e:
        return "FAIL", str(e)
    except Exception:  # a broken scenario is a failure, not a crash of the run
        return "FAIL", traceback.format_exc().strip().splitlines()[-1]
    finally:
        guard.cancel()
        body_seconds = time.monotonic() - body_start
        run.finish()
        with open(os.path.join(artifacts, "timing.txt"), "w") as f:
            f.write(f"prefix copy {copy_seconds:.2f} s\nscenario {body_seconds:.2f} s\n"
                    f"wine calls {run.calls}\n")
        if not args.keep:
            shutil.rmtree(prefix, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("patterns", nargs="*", help="scenario names: substrings or glob patterns")
    ap.add_argument("--installer", default=os.path.join(REPO, "build/win64/TolvaneSetup.exe"))
    ap.add_argument("--installer32", default=os.path.join(REPO, "build/win32/TolvaneSetup.exe"),
                    help="the i686 build, for the scenarios whose target is installer32")
    ap.add_argument("--driver",
                    default=os.path.join(REPO, "build/win64/tests/wine/tolvane-driver.exe"))
    ap.add_argument("--mini", help="the harness's own dialog (default: beside the driver)")
    ap.add_argument("--artifacts", default=os.path.join(REPO, "build/wine-artifacts"))
    ap.add_argument("--work", default=os.path.join(REPO, "build/wine-work"),
                    help="where the template and the scenario prefixes live")
    ap.add_argument("-j", "--jobs", type=int, default=1, choices=(1, 2))
    ap.add_argument("--list", action="store_true", help="print the scenario names and stop")
    ap.add_argument("--fast", action="store_true", help="leave out scenarios labelled slow")
    ap.add_argument("--keep", action="store_true", help="keep the last prefix of each worker")
    ap.add_argument("--template", help="use this prepared template instead of making one")
    ap.add_argument("--display-base", type=int, default=60)
    args = ap.parse_args()
    args.mini = args.mini or os.path.join(os.path.dirname(args.driver), "MiniDialog.exe")
    for name in ("installer", "installer32", "driver", "mini", "artifacts", "work"):
        setattr(args, name, os.path.abspath(getattr(args, name)))

    chosen = select(load_scenarios(), args.patterns, args.fast)
    if args.list:
        for s in chosen:
            labels = f"  [{', '.join(s['labels'])}]" if s["labels"] else ""
            print(f"{s['name']}{labels}")
        return 0
    if not chosen:
        print("no scenario matches", file=sys.stderr)
        return 2

    os.makedirs(args.work, exist_ok=True)
    template = args.template or os.path.join(args.work, "template")
    if not args.template:
        try:
            seconds = make_template(template)
        except RuntimeError as e:
            print(f"FAIL template: {e}")
            print(f"0 passed, {len(chosen)} failed")
            return 1
        print(f"template prefix ready ({seconds:.1f} s)", flush=True)

    todo = queue.Queue()
    for s in chosen:
        todo.put(s)
    counts = {"PASS": 0, "FAIL": 0, "SKIP": 0}
    lock = threading.Lock()

    displays = []

    def worker(index):
        try:
            display = Display(args.display_base + 10 * index)
            displays.append(display)
        except RuntimeError as e:
            with lock:
                counts["FAIL"] += 1
                print(f"FAIL worker {index}: {e}", flush=True)
            return
        try:
            while True:
                try:
                    entry = todo.get_nowait()
                except queue.Empty:
                    return
                start = time.monotonic()
                status, reason = run_one(entry, args, template, index, display.name)
                took = time.monotonic() - start
                with lock:
                    counts[status] += 1
                    if status == "PASS":
                        print(f"PASS {entry['name']} ({took:.1f} s)", flush=True)
                    else:
                        print(f"{status} {entry['name']}: {reason}", flush=True)
        finally:
            displays.remove(display)
            display.close()

    threads = [threading.Thread(target=worker, args=(i,), daemon=True) for i in range(args.jobs)]
    for t in threads:
        t.start()
    try:
        for t in threads:
            while t.is_alive():
                t.join(0.5)
    except KeyboardInterrupt:
        # Leave nothing behind: every worker's prefix server and display.
        for i in range(args.jobs):
            run_quiet([harness.WINESERVER, "-k"],
                      harness.wine_env(os.path.join(args.work, f"pfx-{i}"), ""), 20)
        for d in displays:
            d.close()
        print("interrupted")
        return 130
    if not args.template and not args.keep:
        shutil.rmtree(template, ignore_errors=True)

    summary = f"{counts['PASS']} passed, {counts['FAIL']} failed"
    if counts["SKIP"]:
        summary += f", {counts['SKIP']} skipped"
    print(summary)
    return 1 if counts["FAIL"] else 0


if __name__ == "__main__":
    sys.exit(main())
