#pragma once
// The installer's only window: the greeting, the version line, the target directory with its
// "..." button, Install and Cancel.
#include "../platform/framework/CDialog.h"
#include "../platform/framework/CStatic.h"

class InstallDialog : public CDialog {
public:
    explicit InstallDialog(CWnd* parent = nullptr);
    ~InstallDialog() override = default;

    // The proposed directory: the last completed installation's, else the programs directory
    // followed by "\Brindlecot\Tolvane".
    static CString ComputeDefaultInstallDir();

protected:
    const CommandEntry* GetCommandMap() const override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;  // the Install command
    void OnBrowse();

    CStatic logo;
    CStatic logoSub;
    CStatic progressIcon;
    CString installDir;
    CString versionText;
    HICON appIcon;
};
