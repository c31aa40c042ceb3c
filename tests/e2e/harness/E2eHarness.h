// Driving the real Veltarion.exe under Wine from a test program: a fresh install folder, the
// running process, its windows and controls, message boxes, the tray callback, the settings
// registry value, the storage file, the stand-in driver's journal, a recorder for opened
// documents and screenshots.
//
// Windows are found by caption and class among the windows of the program's process, controls by
// their ids anywhere below a window (controls may sit inside panels). Clicks are posted, never
// sent: a click that opens a modal box would otherwise block the test until the box is closed.
// Wait for the effect of an action with WaitUntil or one of the Wait... helpers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt::e2e {

// The main window's caption, the tray callback message and its mouse messages.
// Every test runs the program beside the stand-in driver, which its caption names.
inline constexpr const char* kMainCaption = "Veltarion (stand-in driver)";
inline constexpr UINT kTrayMessage = 1024;
inline constexpr LPARAM kTrayDoubleClick = WM_LBUTTONDBLCLK; // 515
inline constexpr LPARAM kTrayRightClick = WM_RBUTTONDOWN;    // 516
inline constexpr const char* kDialogClass = "#32770";        // message boxes
inline constexpr const char* kMenuClass = "#32768";          // popup menus
inline constexpr int kMessageBoxTextId = 0xFFFF;

// How long a wait for something the program does on its own gives it by default: generous, since
// a loaded machine may be slow, and a wait returns as soon as its condition holds.
inline constexpr int kWaitMs = 15000;

// Polls condition until it holds or timeoutMs passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs);

// A fresh folder in the temporary directory holding Veltarion.exe and, unless told otherwise,
// OMXDRV.SYS, ReadMe.htm and "Getting Started.htm", copied from the build. Removed (with the
// Profiles folder the program makes) when the object goes away.
class Install {
  public:
    struct Options {
        bool withDriver = true;
        bool withDocs = true;
    };
    Install();
    explicit Install(Options options);
    Install(const Install&) = delete;
    Install& operator=(const Install&) = delete;
    ~Install();

    // The folder, with a trailing backslash.
    const std::string& Dir() const { return dir_; }
    std::string Path(std::string_view name) const { return dir_ + std::string(name); }
    std::string StorageFile() const { return Path("Profiles\\profiles.omx"); }

  private:
    std::string dir_;
};

// One running copy of Veltarion.exe. Ended (TerminateProcess) when still running at the end.
class App {
  public:
    // Starts <install>\Veltarion.exe with the given current directory (default: the install
    // folder), the extra environment variables (NAME=value, replacing inherited ones) and the
    // arguments after the program's name.
    explicit App(const Install& install, std::string workDir = {},
                 const std::vector<std::string>& extraEnv = {}, const std::string& arguments = {});
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    ~App();

    bool Started() const { return process_ != nullptr; }
    DWORD Pid() const { return pid_; }
    bool Running() const;
    // Waits for the end; the exit code, or nothing on a time-out.
    std::optional<DWORD> WaitExit(int timeoutMs = kWaitMs);
    void Kill();

    // The main window once it is visible (nullptr on a time-out).
    HWND MainWindow(int timeoutMs = kWaitMs) const;
    // A top-level window of this process; caption or cls may be nullptr for any.
    HWND FindWindowOf(const char* cls, const char* caption, bool visibleOnly = true) const;
    HWND WaitWindow(const char* cls, const char* caption, int timeoutMs = kWaitMs,
                    bool visibleOnly = true) const;
    // A message box ("#32770") with that caption.
    HWND WaitMessageBox(const char* caption, int timeoutMs = kWaitMs) const;
    // Every visible top-level window of this process (for "nothing else opened" checks).
    std::vector<HWND> VisibleWindows() const;

  private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Top-level windows of a process; cls or caption may be nullptr for any.
HWND FindProcessWindow(DWORD pid, const char* cls, const char* caption, bool visibleOnly = true);
HWND WaitProcessWindow(DWORD pid, const char* cls, const char* caption, int timeoutMs = kWaitMs,
                       bool visibleOnly = true);

// The tray menu's items that can be chosen, in order (separators are not counted).
inline constexpr int kMenuActivate = 0;
inline constexpr int kMenuDeactivate = 1;
inline constexpr int kMenuAutoDeactivate = 2; // a submenu
inline constexpr int kMenuAbout = 3;
inline constexpr int kMenuQuit = 4;
// Right-clicks the tray icon of the program (process pid, main window) and returns the popup
// menu's window once it is up, or nullptr.
HWND OpenTrayMenu(DWORD pid, HWND mainWindow, int timeoutMs = kWaitMs);
// Chooses an item of an open popup menu with the keyboard (Down n+1 times, Enter), or closes
// the menu without a choice (Esc).
void ChooseMenuItem(HWND menu, int selectableIndex);
void DismissMenu(HWND menu);
// Opens the submenu of an item with the keyboard (Down n+1 times, Right): its first item is
// selected.
void OpenSubmenu(HWND menu, int selectableIndex);
// Opens the tray menu and chooses an item; false when the menu did not open.
bool ChooseTrayItem(DWORD pid, HWND mainWindow, int selectableIndex);

// Controls.
HWND Item(HWND window, int id);                   // the descendant with that control id, or nullptr
std::string Text(HWND window);                    // WM_GETTEXT (crosses processes)
void SetText(HWND window, std::string_view text); // WM_SETTEXT: edits raise EN_CHANGE
void SetText(HWND window, std::wstring_view text); // the same as Unicode, whatever the code page
void Click(HWND button);                           // posted BM_CLICK
// CB_SETCURSEL, then the CBN_SELCHANGE notification that a user's pick sends to the parent.
void SelectCombo(HWND combo, int index);
int ComboIndex(HWND combo);
int ComboCount(HWND combo);
std::string ComboItem(HWND combo, int index); // through the wide message (Wine 8 cuts the ANSI one)
bool Enabled(HWND window);
// Whether the window lies wholly on the screen (a user can see all of it).
bool OnScreen(HWND window);
std::string Placement(HWND window); // "left,top-right,bottom" for messages
bool Visible(HWND window);
// Posts the tray icon's callback message (uID 1) with a mouse message to the main window.
void Tray(HWND mainWindow, LPARAM mouseMessage);
// Once a profile is selected, types the password into both password edits of the main window and
// presses Activate once it is enabled; true when the window then hid, as an activation hides it.
bool ActivateFromMainWindow(HWND main, std::string_view password);
// The text of a message box and a press of one of its buttons (IDOK, IDYES, IDNO...).
std::string MessageBoxText(HWND box);
void Answer(HWND box, int buttonId);
// Presses F1 in a window: the WM_HELP path a real key press takes.
void PressHelp(HWND window);

// Real input through SendInput: it reaches the foreground window's focus, as a user's does.
// modifier: 0, VK_SHIFT or VK_MENU (Alt), held around the key.
void PressKey(WORD vk, WORD modifier = 0);
void TypeText(std::string_view text); // characters of the keyboard layout, one press each
void ClickAt(HWND window);            // a left click in the middle of the window
void ClickCaption(HWND window);       // a left click on the caption bar of a top-level window
HWND FocusOf(HWND window);            // the keyboard focus of the thread that owns the window
// Whether upper lies above lower in the z-order of the top-level windows.
bool IsAbove(HWND upper, HWND lower);

// Readies the prefix for a start as a new user: no copy of the program may run (it would hold
// the single-instance mutex), the settings key and the machine policy are deleted, the stand-in
// driver runs. What is
// wrong, or "" when ready.
std::string PrepareFirstStart();

// Settings registry: HKCU\Software\Veltarion and its CurrentProfile value.
bool SettingsKeyExists();
// The value if it exists as a REG_DWORD.
std::optional<std::int32_t> CurrentProfileValue();
void DeleteSettingsKey();
void WriteCurrentProfile(std::int32_t value);
// Any REG_DWORD value of the settings key.
std::optional<std::uint32_t> SettingsDword(std::string_view name);
void WriteSettingsDword(std::string_view name, std::uint32_t value);
// A REG_DWORD value of the machine policy (HKLM\Software\Policies\Veltarion, 64-bit view).
void WritePolicyDword(std::string_view name, std::uint32_t value);

// The Windows version Wine reports to programs named exeName ("winxp", "win98", ...) while the
// object lives (HKCU\Software\Wine\AppDefaults\<exeName>, Version).
class WindowsVersionFor {
  public:
    WindowsVersionFor(std::string exeName, const char* version);
    WindowsVersionFor(const WindowsVersionFor&) = delete;
    WindowsVersionFor& operator=(const WindowsVersionFor&) = delete;
    ~WindowsVersionFor();

  private:
    std::string key_;
};

// Files. Reads share read, write and delete access, so that a test looking at a file never makes
// the program's own write or replace of it fail; a file being replaced reads as missing.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path);
// The size of a file, found without opening it (nothing when it does not exist at the moment):
// the way to poll a file that the program replaces, since an open handle, however briefly held,
// can make a replace fail.
std::optional<std::uint64_t> FileSize(const std::string& path);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// What the running program whose command line holds `program` has written to its standard error
// so far, when that goes to a file (as the test runner has it): Wine's debug channels write there.
std::string ErrorOutputOf(const std::string& program);

// Documents: registers the recorder program for ".htm" in the prefix (every open of a .htm file
// then appends "<file>|<current directory>" to the log), and reads the log's lines.
void RegisterHtmRecorder(const std::string& logPath);
std::vector<std::string> RecordedOpens(const std::string& logPath);
// Whether a copy of the recorder (or its console host) still runs: a document open is over,
// with whatever it did to the activation, once neither does.
bool RecorderRunning();

// A real key press on the test display (xdotool): input as the system sees a user's.
bool PressKeyOnDisplay(std::string_view key);

// chmod on the Unix file behind a Windows path: Wine reads a file's rights from its mode bits
// ("o+w" makes a folder that everyone may write).
bool UnixChmod(const std::string& path, std::string_view mode);

// Saves a screenshot of the whole display as <build>/e2e-shots/<name>.png; its path, or "".
std::string Screenshot(std::string_view name);

// The temporary directory, with a trailing backslash.
std::string TempDir();

} // namespace velt::e2e
