// Remote control of a running Veltarion.exe, for scripts:
//   velt_remote wait-main [seconds]   ends with 0 once the main window is visible
//   velt_remote quit [seconds]        chooses Quit in the tray menu and waits for the program's end
#include "e2e/harness/E2eHarness.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
    using namespace velt::e2e;
    const std::string_view command = argc > 1 ? argv[1] : "";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
    auto mainWindow = [&] {
        HWND found = nullptr;
        WaitUntil([&] { return (found = FindWindowA(nullptr, kMainCaption)) != nullptr; },
                  seconds * 1000);
        return found;
    };
    if (command == "wait-main") {
        HWND main = mainWindow();
        return main && WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, seconds * 1000)
                   ? 0
                   : 1;
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
    std::fprintf(stderr, "usage: velt_remote wait-main|quit [seconds]\n");
    return 2;
}
