#pragma once
// The whole installation, run when the user presses Install.
#include "../platform/framework/CDialog.h"
#include "../platform/framework/CStatic.h"

// Returns with the dialog open (the user may retry), closes it through the framework's standard
// OK handling, or ends the process through FatalInstallError.
void RunInstallCommand(CDialog& dialog, CString& installDir, const CStatic& progressIcon);
