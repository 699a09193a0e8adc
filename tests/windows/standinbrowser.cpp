// A stand-in for the browser in the Windows check: put where the author button looks for the
// browser, it appends how it was started to the file named by QUILLORA_BROWSER_RECORD, one line
// in UTF-8: the whole command line, a tab, and the show state asked for (2 is minimized and
// activated), then ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t record[MAX_PATH];
    if (!GetEnvironmentVariableW(L"QUILLORA_BROWSER_RECORD", record, MAX_PATH))
        return 1;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    const std::wstring line
            = std::wstring(GetCommandLineW()) + L"\t" + std::to_wstring(show) + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), utf8.data(), size, nullptr,
                        nullptr);
    const HANDLE file = CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, utf8.data(), DWORD(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
}
