"""Installer builds with broken payloads, each one a build of its own: the payload is not there
or empty (fatal, exit code 1, nothing left), or it is not what its header says (the installer does
not interpret it: the real LZ32 expands what there is, or copies a file that is not SZDD)."""

from harness import check_eq, scenario
from scenarios_install import (DEFAULT_DIR, DIALOG, FATAL_CAPTION, FATAL_TEXT, IDOK,
                               REGISTERING, SUCCESS, answer, check_box, check_installed,
                               check_nothing_left, check_question, disk_state, install,
                               question_caption, registry_state)


def make_fatal_scenario(build):
    @scenario("badpayload-fatal-" + build.lower(), program="TolvaneSetup" + build + ".exe")
    def fatal(run):
        before_disk, before_reg = disk_state(run), registry_state(run)
        install(run)
        check_question(run, "C:\\Program Files\\Brindlecot")
        answer(run, question_caption(run), IDOK)
        check_box(run, FATAL_CAPTION, FATAL_TEXT.format("Unable to extract resource"), [IDOK],
                  "stop", DIALOG, "fatal-error")
        answer(run, FATAL_CAPTION, IDOK)
        check_eq(run.wait_exit(), 1, "exit code")
        check_nothing_left(run, before_disk, "after the end")
        check_eq(registry_state(run), before_reg, "registry after the end")

    return fatal


def make_completed_scenario(build):
    @scenario("badpayload-installs-" + build.lower(), program="TolvaneSetup" + build + ".exe")
    def completed(run):
        install(run)
        check_question(run, "C:\\Program Files\\Brindlecot")
        answer(run, question_caption(run), IDOK)
        check_box(run, *SUCCESS, [IDOK], "information", REGISTERING, "success")
        answer(run, SUCCESS[0], IDOK)
        check_eq(run.wait_exit(), 0, "exit code")
        # What LZ32 gives for it is the viewer itself, byte for byte.
        check_installed(run, DEFAULT_DIR)
        check_eq(run.reg_query("HKLM\\SOFTWARE\\Brindlecot\\Tolvane\\ActiveX"),
                 ("REG_SZ", DEFAULT_DIR), "recorded directory")

    return completed


for _build in ("NoPayload", "EmptyPayload"):
    make_fatal_scenario(_build)
# A header whose length lies is advisory to LZ32; a file without the SZDD magic is copied as is.
for _build in ("LyingHeaderLess", "LyingHeaderMore", "NotSzdd"):
    make_completed_scenario(_build)

