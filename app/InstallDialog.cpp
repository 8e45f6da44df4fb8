#include "InstallDialog.h"

#include "../install/InstallCommand.h"
#include "../paths/DirectoryPicker.h"
#include "../platform/framework/CWinApp.h"
#include "../settings/InstallerValues.h"
#include "ProductInfo.h"
#include "resource.h"

namespace {

CString VersionLine() {
    CString text;
    text.Format("Version %d.%d", kVersionMajor, kVersionMinor);
    text.AppendFormat(" R%d", kRevision);
    return text;
}

// The bitmap with its black, greys and white mapped to the current button colours; the control
// keeps the template's bitmap when none can be made.
void SetMappedBitmap(const CStatic& control, int bitmapId) {
    HBITMAP mapped = ::CreateMappedBitmap(AfxGetResourceHandle(), bitmapId, 0, nullptr, 0);
    if (mapped != nullptr) {
        control.SetBitmap(mapped);
    }
}

}  // namespace

InstallDialog::InstallDialog(CWnd* parent)
    : CDialog(IDD_INSTALL, parent),
      installDir(ComputeDefaultInstallDir()),
      versionText(VersionLine()),
      appIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_APP))) {}

CString InstallDialog::ComputeDefaultInstallDir() {
    CString recorded;
    if (RegReadString(HKEY_LOCAL_MACHINE, TOLVANE_SETTINGS_KEY, nullptr, recorded)) {
        return recorded;
    }
    CString programFiles;
    if (!RegReadString(HKEY_LOCAL_MACHINE, WINDOWS_CURRENT_VERSION_KEY, PROGRAM_FILES_DIR_VALUE,
                       programFiles)) {
        programFiles.Empty();
    }
    return programFiles + TOLVANE_DEFAULT_SUBDIR;
}

const CDialog::CommandEntry* InstallDialog::GetCommandMap() const {
    static const CommandEntry commands[] = {
        {IDC_BROWSE, BN_CLICKED, [](CDialog& dialog) { static_cast<InstallDialog&>(dialog).OnBrowse(); }},
        {0, 0, nullptr},
    };
    return commands;
}

void InstallDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_LOGO, logo);
    DDX_Control(dx, IDC_LOGO_SUB, logoSub);
    DDX_Control(dx, IDC_PROGRESS_ICON, progressIcon);
    DDX_Text(dx, IDC_INSTALL_DIR, installDir);
    DDX_Text(dx, IDC_VERSION, versionText);
}

BOOL InstallDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));
    SetMappedBitmap(logo, IDB_LOGO);
    SetMappedBitmap(logoSub, IDB_LOGO_SUB);
    return TRUE;
}

void InstallDialog::OnOK() {
    RunInstallCommand(*this, installDir, progressIcon);
}

void InstallDialog::OnBrowse() {
    CString chosen;
    if (BrowseForDirectory("Select the Tolvane Installation Directory", installDir, *this, chosen,
                           "Install in:")) {
        installDir = chosen;
        UpdateData(FALSE);
    }
}
