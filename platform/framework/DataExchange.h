#pragma once
// Dialog data exchange: moves values between a dialog's controls and its members.
#include "CString.h"
#include "CWnd.h"

struct CDataExchange {
    BOOL m_bSaveAndValidate;  // TRUE: from the controls to the members
    CWnd* m_pDlgWnd;
};

// Binds the wrapper to the dialog's control on the first exchange; later ones find it bound.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Exchanges a control's whole text with a string, without a length limit.
void DDX_Text(CDataExchange* dx, int id, CString& value);
