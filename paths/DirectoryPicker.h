#pragma once
// The folder picker behind the "..." button: the platform's Save dialog set up to list folders
// only, its chosen file path cut back to the folder.
#include "../platform/framework/CFileDialog.h"

class DirectoryDialog : public CFileDialog {
public:
    explicit DirectoryDialog(CWnd* owner);
    ~DirectoryDialog() override = default;

    CString label;  // the text for the folder label; empty keeps the platform's own

protected:
    BOOL OnInitDialog() override;
};

// The nearest existing ancestor of the text (the text itself when it exists), or a single
// backslash, the root of the current drive, when nothing of it exists.
CString StartingDirectory(const CString& current);
// True when the user confirmed with OK; `chosen` then holds the folder. False on Cancel or when
// the platform dialog fails, and `chosen` is untouched.
bool BrowseForDirectory(LPCSTR title, const CString& current, CWnd& owner, CString& chosen,
                        LPCSTR label);
