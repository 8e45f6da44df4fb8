#pragma once
// Modal dialogs: DialogBoxParamA with one dialog procedure that dispatches initialisation, OK,
// Cancel and the commands of a small per-class table.
#include "CWnd.h"
#include "DataExchange.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override = default;

    // Runs the dialog; IDOK or IDCANCEL as ended, -1 when the window could not be created.
    virtual INT_PTR DoModal();
    // Transfers the data; TRUE: from the controls to the members.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result) const { ::EndDialog(m_hWnd, result); }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    struct CommandEntry {
        UINT id;
        UINT code;
        void (*handler)(CDialog& dialog);
    };
    virtual void DoDataExchange(CDataExchange* dx);
    // The class's command table, ended by an entry with a null handler.
    virtual const CommandEntry* GetCommandMap() const;
    // Handles one WM_COMMAND; TRUE when something took it.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs one message for the dialog object; exceptions of the string class are reported here.
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void CenterWindow() const;

    UINT templateId_;
    CWnd* parent_;
};
