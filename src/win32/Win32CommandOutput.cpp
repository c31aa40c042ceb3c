#include "win32/Win32CommandOutput.h"

#include "win32/SystemLibrary.h"

#include <windows.h>

#include <string>

namespace velt {

namespace {

constexpr DWORD kAttachParentProcess = static_cast<DWORD>(-1); // ATTACH_PARENT_PROCESS

bool WriteAll(HANDLE out, const std::string& text) {
    DWORD written = 0;
    return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) !=
               FALSE &&
           written == text.size();
}

} // namespace

void WriteRunLine(std::string_view line) {
    std::string text(line);
    // Lines end as Windows ends them, also inside the usage table.
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
        text.insert(at, 1, '\r');
    }
    text += "\r\n";
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) {
        WriteAll(out, text);
        return;
    }
    // A program of the windows subsystem gets no console: it borrows its starter's, where it
    // has one (AttachConsole is looked up: Windows 2000 has none).
    using AttachConsoleFunction = BOOL(WINAPI*)(DWORD);
    const auto attach = Kernel32Export<AttachConsoleFunction>("AttachConsole");
    if (attach == nullptr || attach(kAttachParentProcess) == FALSE) {
        return;
    }
    HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        WriteAll(console, text);
        CloseHandle(console);
    }
    FreeConsole();
}

} // namespace velt
