// The yardstick of the start-up benchmark: a Win32 program that opens one window and runs its
// message loop until the window is closed. Built twice: importing only kernel32, user32 and gdi32,
// and (VELT_BENCH_SAME_IMPORTS) also importing the other system DLLs Veltarion.exe needs (the
// common controls, the shell, advapi32), which tells Wine's cost of loading them from the cost of
// the program itself.
#include <windows.h>

#ifdef VELT_BENCH_SAME_IMPORTS
#include <commctrl.h>
#include <shellapi.h>

// Referenced, never called: the import alone makes the loader map the DLL.
void* volatile g_imports[] = {reinterpret_cast<void*>(&InitCommonControlsEx),
                              reinterpret_cast<void*>(&Shell_NotifyIconA),
                              reinterpret_cast<void*>(&OpenSCManagerA)};
#endif

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = "MinimalWindow";
    RegisterClassA(&cls);
    HWND hwnd = CreateWindowExA(0, "MinimalWindow", "Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 326, 198, nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, show == 0 ? SW_SHOWNORMAL : show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
