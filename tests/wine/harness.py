"""One scenario's world: a fresh Wine prefix, the program under test, the driver, registry, files.

Every Wine call is bounded by the scenario's deadline; past it the prefix's wineserver is
killed, which ends every program in the prefix, so a bad state never hangs the run.
"""

import json
import os
import re
import shutil
import subprocess
import time

WINE64 = "/usr/lib/wine/wine64"
WINE32 = "/usr/lib/wine/wine"  # the 32-bit loader: the i686 build starts through it
WINESERVER = "/usr/lib/wine/wineserver"
SETUP_DIR = "setup"  # C:\setup holds the program under test; it is also its current directory
HARNESS_DIR = "harness"  # C:\harness holds the driver and its output files

SCENARIOS = []


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def scenario(name, timeout=90, labels=(), target="installer", program=None, env=None):
    """Registers a scenario function; target is "installer" or "mini" (the harness's own dialog).
    program: another build's file name beside the installer (e.g. "TolvaneSetupTestViewer.exe")
    to run instead of it; env: extra environment variables for every Wine call of the scenario."""

    def register(fn):
        SCENARIOS.append({"name": name, "fn": fn, "timeout": timeout, "labels": tuple(labels),
                          "target": target, "program": program, "env": dict(env or {})})
        return fn

    return register


def check(cond, message):
    if not cond:
        raise Failure(message)


def check_eq(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


def wine_env(prefix, display):
    env = dict(os.environ)
    env.update({"WINEPREFIX": prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=",
                "DISPLAY": display, "WINEARCH": "win64",
                # The 32-bit loader runs under qemu-i386, whose default address space collides with
                # Wine's shared user data page; with the full 4 GB reserved it starts.
                "QEMU_RESERVED_VA": "0xffff0000"})
    return env


def normalise_id(cid):
    # A template id of -1 reads back as -1 or as 0xFFFF depending on the template kind.
    return -1 if cid in (-1, 0xFFFF, 0xFFFFFFFF) else cid


class Run:
    def __init__(self, entry, prefix, display, artifacts, target_exe, driver_exe, deadline):
        self.entry = entry
        self.prefix = prefix
        self.display = display
        self.artifacts = artifacts
        self.deadline = deadline
        self.env = wine_env(prefix, display)
        self.env.update(entry.get("env") or {})
        self.drive_c = os.path.join(prefix, "drive_c")
        self.program_path = target_exe  # the file under test on the unix side
        self.exe_name = os.path.basename(target_exe)
        self.setup_dir = os.path.join(self.drive_c, SETUP_DIR)
        self.harness_dir = os.path.join(self.drive_c, HARNESS_DIR)
        os.makedirs(self.setup_dir, exist_ok=True)
        os.makedirs(self.harness_dir, exist_ok=True)
        shutil.copy2(target_exe, self.setup_dir)
        shutil.copy2(driver_exe, os.path.join(self.harness_dir, "tolvane-driver.exe"))
        self.process = None
        self.process_log = None
        self.calls = 0
        self.shots = 0
        self.timed_out = False

    # --- time and processes -------------------------------------------------------------

    def remaining(self):
        return self.deadline - time.monotonic()

    def bounded(self, seconds):
        left = self.remaining()
        if left <= 0:
            self.kill_server()
            raise Failure("scenario timeout reached")
        return min(seconds, left)

    def kill_server(self):
        self.timed_out = True
        subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=20)

    def log_path(self, name):
        return os.path.join(self.artifacts, name)

    def wine(self, args, timeout=30, cwd=None, what=None):
        """Runs wine64 with args to completion; returns its exit status (the program's)."""
        self.calls += 1
        log = self.log_path(f"wine-{self.calls:02d}.log")
        with open(log, "wb") as out:
            p = subprocess.Popen([WINE64] + args, env=self.env, cwd=cwd or self.drive_c,
                                 stdout=out, stderr=subprocess.STDOUT)
            try:
                return p.wait(timeout=self.bounded(timeout))
            except subprocess.TimeoutExpired:
                self.kill_server()
                p.kill()
                p.wait()
                raise Failure(f"{what or args[0]} did not finish within {timeout} s")

    # --- the program under test -----------------------------------------------------------

    def start(self, *args):
        check(self.process is None or self.process.poll() is not None, "program already running")
        self.process_log = open(self.log_path("program.log"), "ab")
        loader = WINE32 if self.entry.get("target") == "installer32" else WINE64
        self.process = subprocess.Popen([loader, "C:\\" + SETUP_DIR + "\\" + self.exe_name]
                                        + list(args), env=self.env, cwd=self.setup_dir,
                                        stdout=self.process_log, stderr=subprocess.STDOUT)

    def wait_exit(self, timeout=15):
        """The program's exit code; kills the prefix and fails if it does not end in time."""
        check(self.process is not None, "program not started")
        try:
            code = self.process.wait(timeout=self.bounded(timeout))
        except subprocess.TimeoutExpired:
            self.kill_server()
            self.process.wait()
            raise Failure(f"{self.exe_name} did not exit within {timeout} s")
        finally:
            if self.process.poll() is not None and self.process_log:
                self.process_log.close()
                self.process_log = None
        return code

    def running(self):
        return self.process is not None and self.process.poll() is None

    # --- the driver ----------------------------------------------------------------------

    def driver_args(self, command, options):
        self.calls += 1
        name = f"driver-{self.calls:02d}-{command}.json"
        args = ["C:\\" + HARNESS_DIR + "\\tolvane-driver.exe", command]
        for key, value in options.items():
            if value is None or value is False:
                continue
            args.append("--" + key.replace("_", "-"))
            if value is not True:
                args.append(str(value))
        args += ["--out", "C:\\" + HARNESS_DIR + "\\" + name]
        return name, args

    def driver(self, command, timeout=20, **options):
        """Runs one driver command; returns its JSON object. Option names use _ for -."""
        name, args = self.driver_args(command, options)
        status = self.wine(args, timeout=timeout, what=f"driver {command}")
        return self.driver_result(name, status, command)

    def driver_background(self, command, **options):
        """Starts one driver command without waiting (e.g. "hold"); driver_join collects it."""
        name, args = self.driver_args(command, options)
        log = open(self.log_path(name.replace(".json", ".log")), "wb")
        p = subprocess.Popen([WINE64] + args, env=self.env, cwd=self.drive_c, stdout=log,
                             stderr=subprocess.STDOUT)
        return {"name": name, "command": command, "process": p, "log": log}

    def driver_join(self, job, timeout=20):
        try:
            status = job["process"].wait(timeout=self.bounded(timeout))
        except subprocess.TimeoutExpired:
            self.kill_server()
            job["process"].kill()
            job["process"].wait()
            raise Failure(f"driver {job['command']} did not finish within {timeout} s")
        finally:
            if job["process"].poll() is not None:
                job["log"].close()
        return self.driver_result(job["name"], status, job["command"])

    def driver_result(self, name, status, command):
        out = os.path.join(self.harness_dir, name)
        try:
            with open(out, encoding="latin-1") as f:
                result = json.load(f)
        except (OSError, ValueError) as e:
            raise Failure(f"driver {command}: exit status {status}, no result ({e})")
        shutil.copy2(out, self.log_path(name))
        return result

    def window(self, caption, wait_ms=20000, **options):
        """Waits for a visible top-level window; returns its description or fails."""
        r = self.driver("inspect", caption=caption, wait=wait_ms, **options)
        check(r["ok"], f"window {caption!r} not found: {r['error']}")
        return r["window"]

    def absent(self, caption, **options):
        """True when no window with that caption exists at this moment, shown or not."""
        r = self.driver("inspect", caption=caption, wait=0, any_visibility=True, no_children=True,
                        **options)
        return not r["ok"]

    def act(self, command, caption, **options):
        r = self.driver(command, caption=caption, **options)
        check(r["ok"], f"{command} on {caption!r} failed: {r['error']}")
        return r["window"]

    # --- registry and files ----------------------------------------------------------------

    def reg_add(self, key, name, rtype, data):
        args = ["reg", "add", key] + (["/ve"] if name is None else ["/v", name])
        args += ["/t", rtype, "/d", data, "/f"]
        check(self.wine(args, what="reg add") == 0, f"reg add {key} failed")

    def reg_delete(self, key, name=None):
        args = ["reg", "delete", key] + (["/ve"] if name is None else ["/v", name]) + ["/f"]
        check(self.wine(args, what="reg delete") == 0, f"reg delete {key} failed")

    def reg_query(self, key, name=None, flags=()):
        """(type, data) of one value, or None when the key or the value is missing; flags such as
        "/reg:32" (the 32-bit programs' view) go to reg."""
        args = ["reg", "query", key] + (["/ve"] if name is None else ["/v", name]) + list(flags)
        if self.wine(args, what="reg query") != 0:
            return None
        with open(self.log_path(f"wine-{self.calls:02d}.log"), encoding="latin-1") as f:
            for line in f.read().splitlines():
                m = re.match(r"^    (.*?)    (REG_\w+)    ?(.*)$", line)
                if m:
                    return m.group(2), m.group(3)
        return None

    def reg_dump(self, key):
        """The text of "reg query KEY /s", or None when the key does not exist."""
        if self.wine(["reg", "query", key, "/s"], what="reg query") != 0:
            return None
        with open(self.log_path(f"wine-{self.calls:02d}.log"), encoding="latin-1") as f:
            return f.read()

    def key_exists(self, key):
        return self.wine(["reg", "query", key], what="reg query") == 0

    def set_windows_version(self, version):
        self.reg_add("HKCU\\Software\\Wine\\AppDefaults\\" + self.exe_name, "Version", "REG_SZ",
                     version)

    def unix_path(self, windows_path):
        """Where a C: path lives in the prefix, for preparing and inspecting files."""
        check(windows_path[:2].upper() == "C:", f"not a C: path: {windows_path}")
        return os.path.join(self.drive_c, *[p for p in windows_path[2:].split("\\") if p])

    def tree(self, windows_path):
        """Every path below a C: directory, relative to it (empty when it does not exist)."""
        root = self.unix_path(windows_path)
        found = set()
        for base, dirs, files in os.walk(root):
            for n in dirs + files:
                found.add(os.path.relpath(os.path.join(base, n), root))
        return found

    # --- screenshots -------------------------------------------------------------------------

    def screenshot(self, step):
        self.shots += 1
        path = os.path.join(self.artifacts, f"{self.shots:02d}-{step}.png")
        try:
            subprocess.run(["import", "-display", self.display, "-window", "root", path],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=self.bounded(20), check=True)
        except (subprocess.SubprocessError, OSError) as e:
            raise Failure(f"screenshot {step} failed: {e}")
        return path

    def pixels(self, png, rect):
        """The (r, g, b) pixels, 0-255, of a screen rectangle [l, t, r, b] in a screenshot."""
        left, top, right, bottom = rect
        geometry = f"{right - left}x{bottom - top}+{left}+{top}"
        p = subprocess.run(["convert", png, "-crop", geometry, "+repage", "-depth", "8", "txt:-"],
                           capture_output=True, text=True, timeout=20)
        check(p.returncode == 0, f"convert failed: {p.stderr.strip()}")
        found = re.findall(r"^\d+,\d+: \((\d+),(\d+),(\d+)", p.stdout, re.M)
        check(found, "no pixels in the screenshot crop")
        return [tuple(int(v) for v in px) for px in found]

    # --- the end -------------------------------------------------------------------------------

    def finish(self):
        try:
            subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=20)
        except subprocess.TimeoutExpired:
            pass
        if self.process is not None:
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if self.process_log:
            self.process_log.close()
        for name in os.listdir(self.artifacts):  # most Wine logs are empty
            path = os.path.join(self.artifacts, name)
            if name.endswith(".log") and os.path.getsize(path) == 0:
                os.remove(path)


def children_by_id(window):
    return {normalise_id(c["id"]): c for c in window["children"]}


def buttons(window):
    return sorted(normalise_id(c["id"]) for c in window["children"] if c["class"] == "Button")


def check_stop_icon(run, shot, rect):
    """The stop icon is a red disc: many saturated red pixels, hardly any yellow or blue ones
    (the exclamation, information and question icons)."""
    px = run.pixels(shot, rect)
    red = sum(1 for r, g, b in px if r > 160 and g < 90 and b < 90)
    other = sum(1 for r, g, b in px if (r > 160 and g > 120 and b < 100) or (b > 160 and r < 100))
    check(red > len(px) // 5 and other < len(px) // 50,
          f"icon is not the stop sign: {red} red and {other} yellow or blue of {len(px)} pixels")


def box_text(window):
    """The message text of a message box, line breaks as \\n."""
    texts = [c["text"] for c in window["children"] if normalise_id(c["id"]) == -1 and
             c["class"] == "Static"]
    check(len(texts) == 1, f"message box has {len(texts)} text statics")
    return (texts[0] or "").replace("\r\n", "\n")


_wine32_state = []


def wine32_unusable():
    """Why this machine cannot run the 32-bit Wine loader, or None when it can (asked once)."""
    if not _wine32_state:
        reason = None
        if not os.path.isfile(WINE32):
            reason = f"{WINE32} is missing (wine32:i386 not installed)"
        else:
            try:
                p = subprocess.run([WINE32, "--version"], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, timeout=60,
                                   env=wine_env("/nonexistent", ""))
                if p.returncode != 0:
                    reason = f"{WINE32} --version failed: {p.stderr.decode(errors='replace')}"
            except OSError as e:  # ENOEXEC: no binfmt_misc handler for i386 programs
                reason = f"this machine cannot execute {WINE32}: {e}"
            except subprocess.TimeoutExpired:
                reason = f"{WINE32} --version did not finish"
        _wine32_state.append(reason)
    return _wine32_state[0]
