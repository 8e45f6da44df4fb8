#include "DirectoryPicker.h"

#include "PathRules.h"

namespace {

// The dummy file name: accepted by OK in the folder shown, then cut off again.
const char kDummyFileName[] = "_______";
// No ordinary file has this extension, so the list shows folders only.
const char kFolderFilter[] = "Directories|*.____zzz||";
const DWORD kPickerFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_LONGNAMES;

// Controls of the platform's explorer-style dialog.
const int kFolderLabel = 1091;      // stc4, in front of the folder list
const int kFileNameEdit = 1152;     // edt1, the file-name box of older systems
const int kFileNameCombo = 1148;    // cmb13, the file-name box since Windows 2000
const int kFileNameLabel = 1090;    // stc3
const int kFileTypeList = 1136;     // cmb1
const int kFileTypeLabel = 1089;    // stc2

}  // namespace

DirectoryDialog::DirectoryDialog(CWnd* owner)
    : CFileDialog(nullptr, kDummyFileName, kPickerFlags, kFolderFilter, owner) {}

BOOL DirectoryDialog::OnInitDialog() {
    BOOL result = CFileDialog::OnInitDialog();
    HWND platformDialog = GetParentHwnd();
    ::SendMessageA(platformDialog, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>("OK"));
    if (!label.IsEmpty()) {
        ::SendMessageA(platformDialog, CDM_SETCONTROLTEXT, kFolderLabel,
                       reinterpret_cast<LPARAM>(static_cast<LPCSTR>(label)));
    }
    // The name box must not be seen: the dummy name in it is not the user's to change.
    const int hidden[] = {kFileNameEdit, kFileNameCombo, kFileNameLabel, kFileTypeList,
                          kFileTypeLabel};
    for (int id : hidden) {
        ::SendMessageA(platformDialog, CDM_HIDECONTROL, id, 0);
    }
    return result;
}

CString StartingDirectory(const CString& current) {
    CString directory = current;
    while (!directory.IsEmpty() && !PathExists(directory)) {
        directory = ParentPath(directory);
    }
    if (directory.IsEmpty()) {
        directory = "\\";
    }
    return directory;
}

bool BrowseForDirectory(LPCSTR title, const CString& current, CWnd& owner, CString& chosen,
                        LPCSTR label) {
    const CString start = StartingDirectory(current);
    DirectoryDialog dialog(&owner);
    dialog.m_ofn.lpstrInitialDir = start;
    dialog.m_ofn.lpstrTitle = title;
    if (label != nullptr) {
        dialog.label = label;
    }
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    chosen = ParentPath(dialog.GetPathName());
    return true;
}
