// Remote control of a running Veltarion.exe, for scripts:
//   velt_remote wait-main [seconds]   prints the program's process id once its main window shows
//   velt_remote quit [seconds]        chooses Quit in the tray menu and waits for the program's end
//   velt_remote activate PASSWORD     activates the selected profile from the main window (a first
//                                     start's welcome dialog is closed) and waits until the
//                                     stand-in driver reports ciphering on
//   velt_remote rights PATH           prints the rights (DACL) of a file or folder as SDDL
//   velt_remote key-rights KEY SDDL   gives the HKLM key KEY (made when missing) the access list
//                                     SDDL, as an administrator may
//   velt_remote no-diagnostics        succeeds when the loaded driver opens and refuses both
//                                     diagnostic requests as it refuses an unknown code
//   velt_remote run COMMAND-LINE      runs the command line as it is (no quoting added), waits
//                                     for its end and exits with its exit code
//   velt_remote hold-mutex NAME SECS  holds the named mutex for that long, as a running copy in
//                                     another session would, once it holds it printing "held";
//                                     hold-event the same with an event of that name
//   velt_remote wait-event NAME SECS  makes the named event, as the running program does, prints
//                                     "held" and succeeds once it is set within that time
//   velt_remote protected             succeeds while the stand-in driver reports ciphering on
//   velt_remote has-main              succeeds while the main window exists, shown or hidden
//   velt_remote click-through CAPTION [seconds]
//                                     presses a setup's Next, Install or Finish button (id 1), as
//                                     each page enables it, until the setup window (caption
//                                     starting with CAPTION) is gone; prints each page's subtitle
//                                     and its texts, a text its label cannot show whole as "cut"
//   velt_remote tray-icon [seconds]   succeeds once the running program's tray icon exists (the
//                                     shell accepts a change of it that changes nothing)
#include "e2e/harness/E2eHarness.h"
#include "win32/driver/StandinKit.h"

#include <sddl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

using namespace velt::e2e;

HWND WaitMain(int seconds) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowA(nullptr, kMainCaption)) != nullptr; },
              seconds * 1000);
    return found;
}

int Activate(const char* password, int seconds) {
    HWND main = WaitMain(seconds);
    if (!main) {
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    if (HWND welcome = FindProcessWindow(pid, nullptr, "Welcome !")) {
        PostMessageA(welcome, WM_CLOSE, 0, 0);
    }
    if (!Visible(main)) {
        Tray(main, kTrayDoubleClick);
    }
    if (!WaitUntil([&] { return Visible(main); }, seconds * 1000)) {
        std::fprintf(stderr, "activate: the main window did not show\n");
        return 1;
    }
    if (!ActivateFromMainWindow(main, password)) {
        std::fprintf(stderr, "activate: no profile selected, Activate disabled or not taken\n");
        return 1;
    }
    OmxStandinJournal journal{};
    if (!velt::standin::ReadJournal(journal)) {
        return 0; // a packaged driver has no journal: the accepted activation hid the window
    }
    if (!WaitUntil([&] { return velt::standin::ReadJournal(journal) && journal.Running == 1; })) {
        std::fprintf(stderr, "activate: the driver does not report ciphering on\n");
        return 1;
    }
    return 0;
}

int PrintRights(const char* path) {
    DWORD needed = 0;
    GetFileSecurityA(path, DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<BYTE> sd(needed ? needed : 1);
    char* text = nullptr;
    if (!GetFileSecurityA(path, DACL_SECURITY_INFORMATION, sd.data(), needed, &needed) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(
            sd.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        std::fprintf(stderr, "no rights for %s (error %lu)\n", path, GetLastError());
        return 1;
    }
    std::printf("%s\n", text);
    LocalFree(text);
    return 0;
}

int SetKeyRights(const char* key, const char* sddl) {
    HKEY handle = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    const bool done =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, WRITE_DAC, nullptr, &handle,
                        nullptr) == ERROR_SUCCESS &&
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr) &&
        RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    LocalFree(sd);
    if (handle) {
        RegCloseKey(handle);
    }
    return done ? 0 : 1;
}

// The packaged driver answers neither diagnostic request: each fails as an unknown code does.
int RefusesDiagnostics() {
    HANDLE device = velt::standin::OpenDevice();
    if (device == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "the device does not open (error %lu)\n", GetLastError());
        return 1;
    }
    auto refusal = [&](std::uint32_t code, DWORD in, DWORD out) {
        std::vector<BYTE> buffer(sizeof(OmxStandinJournal));
        const bool answered =
            velt::standin::Control(device, code, buffer.data(), in, buffer.data(), out);
        return answered ? 0UL : GetLastError();
    };
    const unsigned long unknown = refusal(0x83003FFCu, 0, 0);
    const unsigned long journal = refusal(OMX_DIAG_READ_JOURNAL, 0, sizeof(OmxStandinJournal));
    const unsigned long reset = refusal(OMX_DIAG_RESET, sizeof(OmxStandinFaults), 0);
    CloseHandle(device);
    std::printf("unknown code %lu, journal %lu, reset %lu\n", unknown, journal, reset);
    return unknown != 0 && journal == unknown && reset == unknown ? 0 : 1;
}

struct CaptionSearch {
    std::string_view caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindByCaption(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<CaptionSearch*>(data);
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    if (IsWindowVisible(window) && std::string_view(text).starts_with(search->caption)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Prints each visible text of a setup page (its inner dialog), one line each; "cut:" when the
// label is too small to show it whole in the setup's font (MS Shell Dlg, 8 points).
BOOL CALLBACK PrintPageText(HWND control, LPARAM font) {
    char kind[16] = {};
    GetClassNameA(control, kind, sizeof(kind));
    const std::string text = Text(control);
    if (!IsWindowVisible(control) || lstrcmpiA(kind, "Static") != 0 || text.empty()) {
        return TRUE;
    }
    RECT shown{};
    GetClientRect(control, &shown);
    RECT needed = shown;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(font));
    DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    std::string line = text;
    for (char& c : line) {
        c = c == '\r' || c == '\n' ? ' ' : c;
    }
    std::printf("%s %s\n", needed.bottom - needed.top > shown.bottom - shown.top ? "cut:" : "text:",
                line.c_str());
    return TRUE;
}

int ClickThrough(std::string_view caption, int seconds) {
    auto find = [&] {
        CaptionSearch search{caption};
        EnumWindows(FindByCaption, reinterpret_cast<LPARAM>(&search));
        return search.found;
    };
    HWND setup = nullptr;
    if (!WaitUntil([&] { return (setup = find()) != nullptr; }, seconds * 1000)) {
        std::fprintf(stderr, "no setup window\n");
        return 1;
    }
    return WaitUntil(
               [&] {
                   HWND next = GetDlgItem(setup, IDOK);
                   if (next && IsWindowEnabled(next) && IsWindowVisible(next)) {
                       std::printf("page: %s\n", Text(GetDlgItem(setup, 1038)).c_str());
                       HDC screen = GetDC(nullptr);
                       HFONT font = CreateFontA(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72),
                                                0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                                0, 0, "MS Shell Dlg");
                       ReleaseDC(nullptr, screen);
                       EnumChildWindows(FindWindowExA(setup, nullptr, "#32770", nullptr),
                                        PrintPageText, reinterpret_cast<LPARAM>(font));
                       DeleteObject(font);
                       Click(next);
                       Sleep(300); // the next page's button, not this one again
                   }
                   return !IsWindow(setup);
               },
               seconds * 1000)
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
    if (command == "wait-main") {
        HWND main = WaitMain(seconds);
        if (!main || !WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, seconds * 1000)) {
            return 1;
        }
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        std::printf("%lu\n", pid);
        return 0;
    }
    if (command == "quit") {
        HWND main = FindWindowA(nullptr, kMainCaption);
        if (!main) {
            std::fprintf(stderr, "no Veltarion window\n");
            return 1;
        }
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        if (!ChooseTrayItem(pid, main, kMenuQuit)) {
            std::fprintf(stderr, "the tray menu did not open\n");
            return 1;
        }
        const bool ended =
            process && WaitForSingleObject(process, static_cast<DWORD>(seconds) * 1000) == 0;
        return ended ? 0 : 1;
    }
    if (command == "activate" && argc > 2) {
        return Activate(argv[2], argc > 3 ? std::atoi(argv[3]) : 30);
    }
    if (command == "rights" && argc > 2) {
        return PrintRights(argv[2]);
    }
    if (command == "key-rights" && argc > 3) {
        return SetKeyRights(argv[2], argv[3]);
    }
    if (command == "no-diagnostics") {
        return RefusesDiagnostics();
    }
    if (command == "run" && argc > 2) {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        std::vector<char> line(argv[2], argv[2] + std::strlen(argv[2]) + 1);
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            return 255;
        }
        DWORD code = 255;
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return static_cast<int>(code);
    }
    if (command == "click-through" && argc > 2) {
        return ClickThrough(argv[2], argc > 3 ? std::atoi(argv[3]) : 60);
    }
    if (command == "tray-icon") {
        HWND main = WaitMain(seconds);
        NOTIFYICONDATAA icon{};
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        icon.hWnd = main;
        icon.uID = 1;
        return main && WaitUntil([&] { return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE; },
                                 seconds * 1000)
                   ? 0
                   : 1;
    }
    if ((command == "hold-mutex" || command == "hold-event") && argc > 3) {
        HANDLE held = command == "hold-mutex" ? CreateMutexA(nullptr, TRUE, argv[2])
                                              : CreateEventA(nullptr, TRUE, FALSE, argv[2]);
        std::puts(held ? "held" : "not held");
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(std::atoi(argv[3])) * 1000);
        return held ? 0 : 1;
    }
    if (command == "wait-event" && argc > 3) {
        HANDLE event = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
        std::puts(event ? "held" : "not held");
        std::fflush(stdout);
        return event && WaitForSingleObject(event, static_cast<DWORD>(std::atoi(argv[3])) * 1000) ==
                            WAIT_OBJECT_0
                   ? 0
                   : 1;
    }
    if (command == "has-main") {
        return FindWindowA(nullptr, kMainCaption) ? 0 : 1;
    }
    if (command == "protected") {
        OmxStandinJournal journal{};
        return velt::standin::ReadJournal(journal) && journal.Running == 1 ? 0 : 1;
    }
    std::fprintf(
        stderr,
        "usage: velt_remote wait-main|quit [seconds] | activate PASSWORD "
        "[seconds] | rights PATH | key-rights KEY SDDL | no-diagnostics | run COMMAND-LINE | "
        "hold-mutex|hold-event|wait-event NAME SECONDS | protected | has-main | "
        "click-through CAPTION [seconds] | tray-icon [seconds]\n");
    return 2;
}
