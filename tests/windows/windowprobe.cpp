// Reports a top-level window for the Windows check, found by its title:
//   windowprobe TITLE          prints "client W H", "origin X Y" (the client area's top-left
//                              corner on the screen) and "dpi N" on separate lines
//   windowprobe TITLE close    asks the window to close, as its close button does
// Exits with 1 when no such window is shown.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t *argv[])
{
    if (argc != 2 && !(argc == 3 && std::wcscmp(argv[2], L"close") == 0))
        return 2;
    const HWND window = FindWindowW(nullptr, argv[1]);
    if (!window || !IsWindowVisible(window))
        return 1;
    if (argc == 3)
        return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    RECT client {};
    GetClientRect(window, &client);
    POINT origin {0, 0};
    ClientToScreen(window, &origin);
    std::printf("client %ld %ld\norigin %ld %ld\ndpi %u\n", client.right - client.left,
                client.bottom - client.top, origin.x, origin.y, GetDpiForWindow(window));
    return 0;
}
