// The executable's own resources: lookup, loading, icons, cursors and comctl32's mapped bitmaps.
#include <cstdio>
#include <string>

#include "Machine.h"

namespace {

std::string Hex(const void* handle) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
    return text;
}

std::string Name(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
        return "#" + std::to_string(LOWORD(reinterpret_cast<UINT_PTR>(name)));
    }
    return std::string("\"") + name + "\"";
}

// The program has one module: its executable, named by the instance handle or by null.
bool IsOwnModule(const host::Machine& machine, HMODULE module) {
    return module == nullptr || module == machine.instance;
}

DWORD NotFoundError(const host::Resources& resources, LPCSTR type) {
    host::ResId wanted = host::ResId::From(type);
    for (const host::ResEntry& entry : resources.Entries()) {
        if (entry.type == wanted) {
            return ERROR_RESOURCE_NAME_NOT_FOUND;
        }
    }
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

COLORREF FromQuad(const BYTE* quad) {
    return RGB(quad[2], quad[1], quad[0]);
}

}  // namespace

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("FindResourceA", Hex(module) + ", " + Name(name) + ", " + Name(type)) == 0) {
        machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    if (!IsOwnModule(machine, module)) {
        machine.lastError = ERROR_RESOURCE_DATA_NOT_FOUND;
        return nullptr;
    }
    HRSRC found = machine.resources.FindHandle(name, type);
    if (found == nullptr) {
        machine.lastError = NotFoundError(machine.resources, type);
    }
    return found;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("LoadResource", Hex(module) + ", " + Hex(resource)) == 0) {
        machine.lastError = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    const host::ResEntry* entry = machine.resources.FromHandle(resource);
    if (!IsOwnModule(machine, module) || entry == nullptr) {
        machine.lastError = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    // As for a loaded module, the "loaded" handle is the address of the bytes themselves.
    if (entry->data.empty()) {
        return const_cast<host::ResEntry*>(entry);
    }
    return const_cast<BYTE*>(entry->data.data());
}

LPVOID LockResource(HGLOBAL loaded) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("LockResource", Hex(loaded)) == 0) {
        return nullptr;
    }
    return loaded;
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("SizeofResource", Hex(module) + ", " + Hex(resource)) == 0) {
        machine.lastError = ERROR_INVALID_HANDLE;
        return 0;
    }
    const host::ResEntry* entry = machine.resources.FromHandle(resource);
    if (!IsOwnModule(machine, module) || entry == nullptr) {
        machine.lastError = ERROR_INVALID_HANDLE;
        return 0;
    }
    return static_cast<DWORD>(entry->data.size());
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("LoadIconA", Hex(instance) + ", " + Name(name)) == 0) {
        machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    if (instance == nullptr) {
        host::ResId id = host::ResId::From(name);
        if (id.isNumber && id.number >= 32512 && id.number <= 32518) {
            return host::Resources::SystemIcon(id.number);
        }
        machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    if (instance != machine.instance) {
        machine.lastError = ERROR_RESOURCE_DATA_NOT_FOUND;
        return nullptr;
    }
    HICON icon = machine.resources.IconHandle(host::ResId::From(name));
    if (icon == nullptr) {
        machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
    }
    return icon;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("LoadCursorA", Hex(instance) + ", " + Name(name)) == 0) {
        machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    host::ResId id = host::ResId::From(name);
    // The system cursors: IDC_ARROW (32512) to IDC_HELP (32651). The program carries none.
    if (instance == nullptr && id.isNumber && id.number >= 32512 && id.number <= 32651) {
        return host::Resources::SystemCursor(id.number);
    }
    machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    host::Machine& machine = host::TheMachine();
    machine.Enter("SetCursor", Hex(cursor));
    HCURSOR previous = machine.ui.cursor;
    machine.ui.cursor = cursor;
    return previous;
}

HBITMAP CreateMappedBitmap(HINSTANCE instance, INT_PTR bitmapId, UINT flags, LPCOLORMAP colorMap,
                           int mapSize) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("CreateMappedBitmap", Hex(instance) + ", " + std::to_string(bitmapId) + ", " +
                                                std::to_string(flags) + ", " + Hex(colorMap) +
                                                ", " + std::to_string(mapSize)) == 0 ||
        machine.ui.failMappedBitmaps || instance != machine.instance) {
        return nullptr;
    }
    host::ResId id = host::ResId::Number(static_cast<WORD>(bitmapId));
    const host::ResEntry* entry = machine.resources.Find(host::ResId::Number(RT_BITMAP_ID), id);
    if (entry == nullptr || machine.resources.BitmapHandle(id) == nullptr) {
        return nullptr;
    }
    // BITMAPINFOHEADER: size, width, height, planes, bit count, ..., colours used at offset 32.
    const std::vector<BYTE>& data = entry->data;
    DWORD headerSize =
        data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
    if (headerSize < 40 || data.size() < 40) {
        return nullptr;
    }
    WORD bitCount = static_cast<WORD>(data[14] | (data[15] << 8));
    DWORD used =
        data[32] | (data[33] << 8) | (data[34] << 16) | (static_cast<DWORD>(data[35]) << 24);
    std::size_t colours = used != 0 ? used : (bitCount <= 8 ? (std::size_t{1} << bitCount) : 0);
    if (colours > (data.size() - headerSize) / 4) {
        return nullptr;
    }
    // Without a map of its own, comctl32 maps the four greys of button artwork to the system's
    // current button colours.
    COLORMAP standard[4] = {{RGB(0, 0, 0), machine.ui.sysColors[COLOR_BTNTEXT]},
                            {RGB(128, 128, 128), machine.ui.sysColors[COLOR_BTNSHADOW]},
                            {RGB(192, 192, 192), machine.ui.sysColors[COLOR_BTNFACE]},
                            {RGB(255, 255, 255), machine.ui.sysColors[COLOR_BTNHIGHLIGHT]}};
    const COLORMAP* map = standard;
    int mapCount = 4;
    if (colorMap != nullptr && mapSize > 0) {
        map = colorMap;
        mapCount = mapSize;
    }
    host::Ui::MappedBitmap mapped;
    mapped.resourceId = id.number;
    for (std::size_t i = 0; i < colours; ++i) {
        COLORREF colour = FromQuad(&data[headerSize + 4 * i]);
        for (int m = 0; m < mapCount; ++m) {
            if (map[m].from == colour) {
                colour = map[m].to;
                break;
            }
        }
        mapped.palette.push_back(colour);
    }
    UINT_PTR handle = machine.ui.nextHandle++;
    machine.ui.mappedBitmaps[handle] = mapped;
    return reinterpret_cast<HBITMAP>(handle);
}
