#include "e2e/harness/E2eHarness.h"

#include "app/Main.h"
#include "win32/driver/StandinKit.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#ifndef VELT_E2E_APP_DIR
#error "VELT_E2E_APP_DIR: the build folder of Veltarion.exe (Windows form, trailing slash)"
#endif
#ifndef VELT_E2E_SHOT_DIR
#error "VELT_E2E_SHOT_DIR: the folder for screenshots (Unix form)"
#endif
#ifndef VELT_E2E_RECORDER
#error "VELT_E2E_RECORDER: the recorder program (Windows form)"
#endif

namespace velt::e2e {

namespace {

constexpr const char* kSettingsKey = "Software\\Veltarion";
constexpr const char* kPolicyKey = "Software\\Policies\\Veltarion";
constexpr const char* kAppFiles[] = {"Veltarion.exe", "OMXDRV.SYS", "ReadMe.htm",
                                     "Getting Started.htm"};

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = dir + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

struct FindData {
    DWORD pid;
    const char* cls;
    const char* caption;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto& data = *reinterpret_cast<FindData*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != data.pid || (data.visibleOnly && !IsWindowVisible(hwnd))) {
        return TRUE;
    }
    char text[256] = {};
    if (data.cls) {
        GetClassNameA(hwnd, text, sizeof text);
        if (lstrcmpiA(text, data.cls) != 0) {
            return TRUE;
        }
    }
    if (data.caption) {
        GetWindowTextA(hwnd, text, sizeof text);
        if (std::string_view(text) != data.caption) {
            return TRUE;
        }
    }
    data.found.push_back(hwnd);
    return TRUE;
}

struct ItemSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindItem(HWND hwnd, LPARAM param) {
    auto& search = *reinterpret_cast<ItemSearch*>(param);
    if (GetDlgCtrlID(hwnd) == search.id) {
        search.found = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::vector<char> EnvironmentBlock(const std::vector<std::string>& extra) {
    std::vector<char> block;
    LPCH env = GetEnvironmentStringsA();
    for (const char* p = env; p && *p; p += std::char_traits<char>::length(p) + 1) {
        // An extra variable replaces the inherited one of its name.
        const std::string_view name = std::string_view(p).substr(0, std::string_view(p).find('='));
        if (std::none_of(extra.begin(), extra.end(), [&](const std::string& var) {
                return lstrcmpiA(std::string(name).c_str(), var.substr(0, var.find('=')).c_str()) ==
                       0;
            })) {
            block.insert(block.end(), p, p + std::char_traits<char>::length(p) + 1);
        }
    }
    FreeEnvironmentStringsA(env);
    for (const auto& var : extra) {
        block.insert(block.end(), var.begin(), var.end());
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) {
            return condition();
        }
        Sleep(20);
    }
}

std::string TempDir() {
    char buffer[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, buffer);
    std::string dir = buffer;
    if (!dir.empty() && dir.back() != '\\') {
        dir += '\\';
    }
    return dir;
}

Install::Install() : Install(Options{}) {}

Install::Install(Options options) {
    static std::atomic<int> counter{0};
    char name[64];
    std::snprintf(name, sizeof name, "velt-e2e-%lu-%d\\", GetCurrentProcessId(), ++counter);
    dir_ = TempDir() + name;
    RemoveTree(dir_);
    CreateDirectoryA(dir_.c_str(), nullptr);
    for (const char* file : kAppFiles) {
        const std::string_view f = file;
        if ((f == "OMXDRV.SYS" && !options.withDriver) ||
            (f.ends_with(".htm") && !options.withDocs)) {
            continue;
        }
        // The driver is the one this test program runs (x86 or x64, beside the test program).
        const std::string from =
            f == "OMXDRV.SYS" ? standin::DriverBesideExe() : std::string(VELT_E2E_APP_DIR) + file;
        CopyFileA(from.c_str(), Path(file).c_str(), FALSE);
    }
}

Install::~Install() {
    // A program still running from here keeps its files busy for a moment.
    WaitUntil(
        [&] {
            RemoveTree(dir_);
            return !DirectoryExists(dir_);
        },
        3000);
}

App::App(const Install& install, std::string workDir, const std::vector<std::string>& extraEnv,
         const std::string& arguments) {
    if (workDir.empty()) {
        workDir = install.Dir();
    }
    const std::string exe = install.Path("Veltarion.exe");
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> env = EnvironmentBlock(extraEnv);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const BOOL created = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                        env.data(), workDir.c_str(), &startup, &info);
    if (created) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        pid_ = info.dwProcessId;
    }
}

App::~App() {
    if (process_) {
        if (Running()) {
            Kill();
        }
        CloseHandle(process_);
    }
}

bool App::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> App::WaitExit(int timeoutMs) {
    if (!process_ ||
        WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

void App::Kill() {
    if (process_) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
}

HWND FindProcessWindow(DWORD pid, const char* cls, const char* caption, bool visibleOnly) {
    FindData data{pid, cls, caption, visibleOnly, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&data));
    return data.found.empty() ? nullptr : data.found.front();
}

HWND WaitProcessWindow(DWORD pid, const char* cls, const char* caption, int timeoutMs,
                       bool visibleOnly) {
    HWND found = nullptr;
    WaitUntil(
        [&] { return (found = FindProcessWindow(pid, cls, caption, visibleOnly)) != nullptr; },
        timeoutMs);
    return found;
}

HWND App::FindWindowOf(const char* cls, const char* caption, bool visibleOnly) const {
    return FindProcessWindow(pid_, cls, caption, visibleOnly);
}

HWND App::WaitWindow(const char* cls, const char* caption, int timeoutMs, bool visibleOnly) const {
    return WaitProcessWindow(pid_, cls, caption, timeoutMs, visibleOnly);
}

HWND OpenTrayMenu(DWORD pid, HWND mainWindow, int timeoutMs) {
    Tray(mainWindow, kTrayRightClick);
    return WaitProcessWindow(pid, kMenuClass, nullptr, timeoutMs);
}

void ChooseMenuItem(HWND menu, int selectableIndex) {
    for (int i = 0; i <= selectableIndex; ++i) {
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0x00500001);
    }
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0x001C0001);
}

void DismissMenu(HWND menu) {
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
}

bool ChooseTrayItem(DWORD pid, HWND mainWindow, int selectableIndex) {
    HWND menu = OpenTrayMenu(pid, mainWindow);
    if (!menu) {
        return false;
    }
    ChooseMenuItem(menu, selectableIndex);
    return true;
}

HWND App::MainWindow(int timeoutMs) const {
    return WaitWindow(nullptr, kMainCaption, timeoutMs);
}

HWND App::WaitMessageBox(const char* caption, int timeoutMs) const {
    return WaitWindow(kDialogClass, caption, timeoutMs);
}

std::vector<HWND> App::VisibleWindows() const {
    FindData data{pid_, nullptr, nullptr, true, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND Item(HWND window, int id) {
    if (!window) {
        return nullptr;
    }
    ItemSearch search{id, nullptr};
    EnumChildWindows(window, FindItem, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Text(HWND window) {
    if (!window) {
        return {};
    }
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
    const LRESULT copied =
        SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
    return text;
}

void SetText(HWND window, std::string_view text) {
    const std::string copy(text);
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

void SetText(HWND window, std::wstring_view text) {
    const std::wstring copy(text);
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

void Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

void SelectCombo(HWND combo, int index) {
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

int ComboIndex(HWND combo) {
    return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

int ComboCount(HWND combo) {
    return static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
}

std::string ComboItem(HWND combo, int index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(static_cast<std::size_t>(length));
    std::string text(wide.size() * 2 + 1, '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                      text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

bool Enabled(HWND window) {
    return window && IsWindowEnabled(window);
}

bool OnScreen(HWND window) {
    RECT r{};
    if (!window || !GetWindowRect(window, &r)) {
        return false;
    }
    return r.left >= 0 && r.top >= 0 && r.right <= GetSystemMetrics(SM_CXSCREEN) &&
           r.bottom <= GetSystemMetrics(SM_CYSCREEN) && r.right > r.left && r.bottom > r.top;
}

std::string Placement(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    char text[96];
    std::snprintf(text, sizeof text, "%ld,%ld-%ld,%ld", r.left, r.top, r.right, r.bottom);
    return text;
}

bool Visible(HWND window) {
    return window && IsWindowVisible(window);
}

void Tray(HWND mainWindow, LPARAM mouseMessage) {
    PostMessageA(mainWindow, kTrayMessage, 1, mouseMessage);
}

bool ActivateFromMainWindow(HWND main, std::string_view password) {
    using Main = TSetParamForm;
    // A copy that just started shows its window before its profile list is in: typed earlier,
    // the password would be checked against no selection and leave Activate disabled.
    if (!WaitUntil([&] { return ComboIndex(Item(main, Main::kProfiles)) >= 0; })) {
        return false;
    }
    SetText(Item(main, Main::kPassEdit1), password);
    SetText(Item(main, Main::kPassEdit2), password);
    HWND activate = Item(main, Main::kActivateButton);
    if (!WaitUntil([&] { return Enabled(activate); })) {
        return false;
    }
    Click(activate);
    return WaitUntil([&] { return !Visible(main); });
}

std::string MessageBoxText(HWND box) {
    return Text(GetDlgItem(box, kMessageBoxTextId));
}

void Answer(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (button) {
        Click(button);
    } else {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    }
}

void PressHelp(HWND window) {
    // What the default window procedure does for F1: WM_HELP to the focused window's top level.
    PostMessageA(window, WM_KEYDOWN, VK_F1, 0x003B0001);
    PostMessageA(window, WM_KEYUP, VK_F1, static_cast<LPARAM>(0xC03B0001u));
}

bool SettingsKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::optional<std::int32_t> CurrentProfileValue() {
    const auto value = SettingsDword("CurrentProfile");
    return value ? std::optional<std::int32_t>(static_cast<std::int32_t>(*value)) : std::nullopt;
}

void DeleteSettingsKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

void WriteCurrentProfile(std::int32_t value) {
    WriteSettingsDword("CurrentProfile", static_cast<std::uint32_t>(value));
}

WindowsVersionFor::WindowsVersionFor(std::string exeName, const char* version)
    : key_("Software\\Wine\\AppDefaults\\" + std::move(exeName)) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(std::strlen(version) + 1));
        RegCloseKey(key);
    }
}

WindowsVersionFor::~WindowsVersionFor() {
    RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE) && got > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    CloseHandle(file);
    if (!ok) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32U) | data.nFileSizeLow;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

void RegisterHtmRecorder(const std::string& logPath) {
    const std::string command =
        std::string("\"") + VELT_E2E_RECORDER + "\" \"" + logPath + "\" \"%1\"";
    auto setDefault = [](const char* subKey, const std::string& value) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
            RegCloseKey(key);
        }
    };
    setDefault(".htm", "VeltRecorder.htm");
    setDefault("VeltRecorder.htm\\shell\\open\\command", command);
}

std::vector<std::string> RecordedOpens(const std::string& logPath) {
    std::vector<std::string> lines;
    std::ifstream in(logPath);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::string PrepareFirstStart() {
    if (FindWindowA(nullptr, kMainCaption) != nullptr) {
        return "another Veltarion.exe runs in this Wine prefix";
    }
    DeleteSettingsKey();
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_WOW64_64KEY, 0);
    if (!standin::EnsureRunning(standin::DriverBesideExe())) {
        return "the stand-in driver does not run";
    }
    return {};
}

bool RecorderRunning() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool running = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !running;
         more = Process32Next(snapshot, &entry)) {
        running = lstrcmpiA(entry.szExeFile, "velt_e2e_recorder.exe") == 0 ||
                  lstrcmpiA(entry.szExeFile, "conhost.exe") == 0;
    }
    CloseHandle(snapshot);
    return running;
}

namespace {

// The Windows name (drive Z: is the Unix root) of a Unix path.
std::string ZPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Runs a Unix shell script and waits until it wrote the file `doneUnixPath` last: Wine does not
// wait for a Unix program's end, so completion is seen through that file.
bool RunUnix(const std::string& script, const std::string& doneUnixPath) {
    const std::string done = ZPath(doneUnixPath);
    DeleteFileA(done.c_str());
    std::string command = "Z:\\bin\\sh -c \"" + script + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return WaitUntil([&] { return FileExists(done); }, 15000);
}

} // namespace

std::string Screenshot(std::string_view name) {
    // Let the windows finish painting first.
    Sleep(300);
    const std::string unixPath = std::string(VELT_E2E_SHOT_DIR) + "/" + std::string(name) + ".png";
    // The shot is written under a temporary name and renamed when complete.
    const std::string script = "mkdir -p '" VELT_E2E_SHOT_DIR "' && import -window root '" +
                               unixPath + ".part.png' && mv -f '" + unixPath + ".part.png' '" +
                               unixPath + "'";
    return RunUnix(script, unixPath) ? unixPath : std::string();
}

bool PressKeyOnDisplay(std::string_view key) {
    const std::string done = std::string(VELT_E2E_SHOT_DIR) + "/.key-done";
    return RunUnix("mkdir -p '" VELT_E2E_SHOT_DIR "' && xdotool key " + std::string(key) +
                       " && touch '" + done + "'",
                   done);
}

bool UnixChmod(const std::string& path, std::string_view mode) {
    using UnixNameFn = char*(CDECL*)(const WCHAR*);
    const auto unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring wide(path.size() + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    char* name = unixName != nullptr ? unixName(wide.c_str()) : nullptr;
    if (name == nullptr) {
        return false;
    }
    const std::string unixPath = name;
    HeapFree(GetProcessHeap(), 0, name);
    const std::string done = std::string(VELT_E2E_SHOT_DIR) + "/.chmod-done";
    return RunUnix("mkdir -p '" VELT_E2E_SHOT_DIR "' && chmod " + std::string(mode) + " '" +
                       unixPath + "' && touch '" + done + "'",
                   done);
}

void OpenSubmenu(HWND menu, int selectableIndex) {
    for (int i = 0; i <= selectableIndex; ++i) {
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0x00500001);
    }
    // Right opens the submenu on its first item.
    PostMessageA(menu, WM_KEYDOWN, VK_RIGHT, 0x004D0001);
}

std::optional<std::uint32_t> SettingsDword(std::string_view name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG status = RegQueryValueExA(key, std::string(name).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

namespace {
void WriteDword(HKEY root, const char* path, REGSAM view, std::string_view name, DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(key, std::string(name).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
}
} // namespace

void WriteSettingsDword(std::string_view name, std::uint32_t value) {
    WriteDword(HKEY_CURRENT_USER, kSettingsKey, 0, name, value);
}

void WritePolicyDword(std::string_view name, std::uint32_t value) {
    WriteDword(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_WOW64_64KEY, name, value);
}

namespace {
void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}
void ClickPoint(LONG x, LONG y) {
    const auto scale = [](LONG at, int extent) {
        return static_cast<LONG>((at * 65535LL + extent / 2) / (extent - 1));
    };
    INPUT input[3] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = scale(x, GetSystemMetrics(SM_CXSCREEN));
        i.mi.dy = scale(y, GetSystemMetrics(SM_CYSCREEN));
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof input[0]);
    Sleep(50);
}

} // namespace

void PressKey(WORD vk, WORD modifier) {
    if (modifier != 0) {
        SendKey(modifier, false);
    }
    SendKey(vk, false);
    SendKey(vk, true);
    if (modifier != 0) {
        SendKey(modifier, true);
    }
    Sleep(50); // the key reaches the program's queue through the display server
}

void TypeText(std::string_view text) {
    for (const char c : text) {
        const SHORT key = VkKeyScanA(c);
        PressKey(LOBYTE(key), (HIBYTE(key) & 1) != 0 ? VK_SHIFT : 0);
    }
}

void ClickAt(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ClickPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void ClickCaption(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ClickPoint(rect.left + 60, rect.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

bool IsAbove(HWND upper, HWND lower) {
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == upper) {
            return true;
        }
        if (w == lower) {
            return false;
        }
    }
    return false;
}

std::string ErrorOutputOf(const std::string& program) {
    // Wine runs each program as a Unix process whose debug channels write to its descriptor 2.
    // The Wine server opens the files ("self" would be the server): the process is found by name.
    const auto text = [](const std::string& path) {
        const auto bytes = ReadFileBytes("Z:\\proc\\" + path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    };
    WIN32_FIND_DATAA entry{};
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    std::string output;
    while (find != INVALID_HANDLE_VALUE && output.empty()) {
        const std::string pid = entry.cFileName;
        if (std::isdigit(static_cast<unsigned char>(pid[0])) &&
            text(pid + "\\cmdline").find(program) != std::string::npos) {
            output = text(pid + "\\fd\\2");
        }
        if (!FindNextFileA(find, &entry)) {
            FindClose(find);
            find = INVALID_HANDLE_VALUE;
        }
    }
    return output;
}

} // namespace velt::e2e
