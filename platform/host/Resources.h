#pragma once
// The program's resources, read from the real compiled resource file (windres -O res output), so
// the simulation finds, loads and builds from the same bytes the product carries.
#include <string>
#include <vector>

#include "HostWin32.h"

namespace host {

// A resource type or name: a number, or a string (kept upper-cased, as lookups ignore case).
struct ResId {
    bool isNumber = true;
    WORD number = 0;
    std::string text;
    static ResId From(LPCSTR nameOrNumber);  // MAKEINTRESOURCE values and "#123" give numbers
    static ResId Number(WORD number);
    bool operator==(const ResId& other) const;
    std::string ToString() const;  // "102" for numbers, the upper-cased text otherwise
};

struct ResEntry {
    ResId type;
    ResId name;
    WORD language = 0;
    std::vector<BYTE> data;
};

#define RT_ICON_ID 3
#define RT_BITMAP_ID 2
#define RT_DIALOG_ID 5
#define RT_GROUP_ICON_ID 14
#define RT_VERSION_ID 16

class Resources {
  public:
    // ---- for tests ---------------------------------------------------------------------------
    bool LoadResFile(const std::string& path);  // replaces everything; false when unreadable
    // Parses .res bytes; false (and nothing changed) when they are not a well-formed .res file.
    bool LoadResBytes(const std::vector<BYTE>& bytes);
    const ResEntry* Find(const ResId& type, const ResId& name) const;
    void Remove(const ResId& type, const ResId& name);
    void Replace(const ResId& type, const ResId& name, std::vector<BYTE> data);
    const std::vector<ResEntry>& Entries() const { return entries_; }

    // Handles of the program's icons and bitmaps: a fixed tag plus the resource id, so loading the
    // same resource twice gives the same handle (as the system's shared icons do) and a test can
    // tell which resource a control shows. Null when the resource is missing or unusable (an icon
    // group none of whose images exists, a bitmap without a valid header).
    HICON IconHandle(const ResId& group) const;
    HBITMAP BitmapHandle(const ResId& bitmap) const;
    static int IconIdOf(HICON icon);        // the group id, 0 for anything else
    static int BitmapIdOf(HBITMAP bitmap);  // the bitmap id, 0 for anything else
    // System icons (LoadIconA(NULL, IDI_...)) and cursors (LoadCursorA(NULL, IDC_...)).
    static HICON SystemIcon(WORD id);
    static bool IsSystemIcon(HICON icon);
    static HCURSOR SystemCursor(WORD id);
    static int SystemCursorIdOf(HCURSOR cursor);  // 32514 for IDC_WAIT, 0 for anything else

    // ---- for the API implementation -----------------------------------------------------------
    // Handles: an HRSRC is index+1 into entries; the loaded handle and the locked address are
    // derived from it and point into the entry's own bytes.
    HRSRC FindHandle(LPCSTR name, LPCSTR type) const;
    const ResEntry* FromHandle(HRSRC handle) const;

  private:
    std::vector<ResEntry> entries_;
};

}  // namespace host
