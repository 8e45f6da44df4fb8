#include "InstallerRun.h"

#include "install/UndoJournal.h"
#include "platform/framework/CWinApp.h"

const char kDefaultDir[] = "C:\\Program Files\\Brindlecot\\Tolvane";

host::Machine& StandardMachine() {
    host::Machine& m = host::NewMachine();
    m.files.MakeDirectories("C:\\Program Files");
    m.files.MakeDirectories("C:\\TEMP");
    m.files.MakeDirectories("C:\\SETUP");
    m.files.SetCurrentDirectory("C:\\SETUP");
    m.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                         "ProgramFilesDir", "C:\\Program Files");
    m.processes.defaultProgram.exitCode = 0;
    m.processes.defaultProgram.runMs = 300;
    return m;
}

InstallerRun RunInstaller(host::Machine& machine) {
    InstallerRun run;
    try {
        UndoJournal::Open();
        run.exitCode = static_cast<UINT>(AfxWinMain(machine.instance, nullptr, nullptr, SW_SHOW));
        machine.RunExitFunctions();
    } catch (const host::ProcessExit& exit) {
        run.exitedThroughExitProcess = true;
        run.exitCode = exit.exitCode;
    } catch (const host::ScriptMismatch& mismatch) {
        run.mismatch = mismatch.what;
        UndoJournal::Rollback();
    }
    return run;
}
