// Reports a top-level window for the Windows check, found by its title:
//   windowprobe TITLE           prints "client W H", "origin X Y" (the client area's top-left
//                               corner on the screen) and "dpi N" on separate lines
//   windowprobe TITLE controls  prints, through UI Automation, every element inside the window,
//                               one line each in UTF-8: its automation id (Qt's object names
//                               joined with '.', e.g. Form1.Frame1.List1; empty for a list's
//                               rows), a tab, its rectangle on the screen "X Y W H", a tab, its
//                               name, a tab, its value
//   windowprobe TITLE close     asks the window to close, as its close button does
// Exits with 1 when no such window is shown (or it reports no elements).
#include <windows.h>

#include <uiautomationclient.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

// UI Automation's flat client functions (uiautomationcore.dll; mingw-w64 declares neither them
// nor their types), as documented.
DECLARE_HANDLE(HUIANODE);
struct UiaCondition
{
    int conditionType; // 0: true for every element
};
struct UiaCacheRequest
{
    UiaCondition *viewCondition;
    int scope; // 1: the element itself
    PROPERTYID *properties;
    int propertyCount;
    PATTERNID *patterns;
    int patternCount;
    int elementMode; // 1: full
};
using NodeFromHandle = HRESULT(WINAPI *)(HWND, HUIANODE *);
using GetPropertyValue = HRESULT(WINAPI *)(HUIANODE, PROPERTYID, VARIANT *);
using Navigate
        = HRESULT(WINAPI *)(HUIANODE, int, UiaCondition *, UiaCacheRequest *, SAFEARRAY **, BSTR *);
using NodeFromVariant = HRESULT(WINAPI *)(VARIANT *, HUIANODE *);
using NodeRelease = BOOL(WINAPI *)(HUIANODE);

struct Uia
{
    HMODULE module = LoadLibraryW(L"uiautomationcore.dll");
    template<typename F>
    F get(const char *name) const
    {
        return module ? reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name)))
                      : nullptr;
    }
    NodeFromHandle nodeFromHandle = get<NodeFromHandle>("UiaNodeFromHandle");
    GetPropertyValue propertyValue = get<GetPropertyValue>("UiaGetPropertyValue");
    Navigate navigate = get<Navigate>("UiaNavigate");
    NodeFromVariant nodeFromVariant = get<NodeFromVariant>("UiaHUiaNodeFromVariant");
    NodeRelease release = get<NodeRelease>("UiaNodeRelease");
};

// A string property as UTF-8, with tabs and line breaks made blanks.
std::string text(const Uia &uia, HUIANODE node, PROPERTYID property)
{
    VARIANT value;
    VariantInit(&value);
    std::string result;
    if (SUCCEEDED(uia.propertyValue(node, property, &value)) && value.vt == VT_BSTR
        && value.bstrVal) {
        const int size
                = WideCharToMultiByte(CP_UTF8, 0, value.bstrVal, -1, nullptr, 0, nullptr, nullptr);
        result.resize(size_t(size > 0 ? size - 1 : 0));
        WideCharToMultiByte(CP_UTF8, 0, value.bstrVal, -1, result.data(), size, nullptr, nullptr);
    }
    VariantClear(&value);
    for (char &c : result)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return result;
}

// The element's rectangle on the screen: left, top, width, height.
void rectangle(const Uia &uia, HUIANODE node, double r[4])
{
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(uia.propertyValue(node, UIA_BoundingRectanglePropertyId, &value))
        && value.vt == (VT_ARRAY | VT_R8) && value.parray->rgsabound[0].cElements == 4)
        std::memcpy(r, value.parray->pvData, 4 * sizeof(double));
    VariantClear(&value);
}

// The node next to `node` in `direction` (3: first child, 1: next sibling), or null.
HUIANODE step(const Uia &uia, HUIANODE node, int direction)
{
    UiaCondition all {0};
    UiaCacheRequest request {&all, 1, nullptr, 0, nullptr, 0, 1};
    SAFEARRAY *found = nullptr;
    BSTR structure = nullptr;
    HUIANODE next = nullptr;
    if (SUCCEEDED(uia.navigate(node, direction, &all, &request, &found, &structure)) && found) {
        LONG index[2] {0, 0};
        VARIANT first;
        VariantInit(&first);
        if (SUCCEEDED(SafeArrayGetElement(found, index, &first)))
            uia.nodeFromVariant(&first, &next);
        VariantClear(&first);
        SafeArrayDestroy(found);
    }
    SysFreeString(structure);
    return next;
}

// Prints the node's descendants in tree order; the number printed.
int printDescendants(const Uia &uia, HUIANODE parent)
{
    int printed = 0;
    for (HUIANODE child = step(uia, parent, 3); child;) {
        double r[4] {};
        rectangle(uia, child, r);
        std::printf("%s\t%.0f %.0f %.0f %.0f\t%s\t%s\n",
                    text(uia, child, UIA_AutomationIdPropertyId).c_str(), r[0], r[1], r[2], r[3],
                    text(uia, child, UIA_NamePropertyId).c_str(),
                    text(uia, child, UIA_ValueValuePropertyId).c_str());
        printed += 1 + printDescendants(uia, child);
        const HUIANODE next = step(uia, child, 1);
        uia.release(child);
        child = next;
    }
    return printed;
}

int printControls(HWND window)
{
    const Uia uia;
    if (!uia.nodeFromHandle || !uia.propertyValue || !uia.navigate || !uia.nodeFromVariant
        || !uia.release || FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    HUIANODE root = nullptr;
    int printed = 0;
    if (SUCCEEDED(uia.nodeFromHandle(window, &root)) && root) {
        printed = printDescendants(uia, root);
        uia.release(root);
    }
    CoUninitialize();
    return printed > 0 ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t *argv[])
{
    const bool close = argc == 3 && std::wcscmp(argv[2], L"close") == 0;
    const bool controls = argc == 3 && std::wcscmp(argv[2], L"controls") == 0;
    if (argc != 2 && !close && !controls)
        return 2;
    const HWND window = FindWindowW(nullptr, argv[1]);
    if (!window || !IsWindowVisible(window))
        return 1;
    if (close)
        return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    if (controls)
        return printControls(window);
    RECT client {};
    GetClientRect(window, &client);
    POINT origin {0, 0};
    ClientToScreen(window, &origin);
    std::printf("client %ld %ld\norigin %ld %ld\ndpi %u\n", client.right - client.left,
                client.bottom - client.top, origin.x, origin.y, GetDpiForWindow(window));
    return 0;
}
