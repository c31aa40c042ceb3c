// The profile commands, the properties dialog, the wizard and the shell's browse dialog in the
// real Veltarion.exe under Wine, driven by window messages; the results checked in the storage
// file and in the stand-in driver's journal.
#include "e2e/harness/E2eHarness.h"

#include "digest/MD5_RC4.h"
#include "profiles/ProfileRecord.h"
#include "win32/driver/StandinKit.h"
#include "win32/filebrowser/BrowseTree.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace velt::e2e {
namespace {

// Control ids of the windows (see the windows' headers).
constexpr int kProfiles = 102;
constexpr int kCreateProfile = 103;
constexpr int kEditProfile = 104;
constexpr int kDeleteProfile = 105;
constexpr int kPassEdit1 = 108;
constexpr int kPassEdit2 = 110;
constexpr int kActivateButton = 112;

constexpr int kProfileNameEdit = 402;
constexpr int kListEdit = 404;
constexpr int kCheckPassword = 406;
constexpr int kPass1Edit = 408;
constexpr int kApplyButton = 410;
constexpr int kCancelButton = 411;
constexpr int kCallWizardButton = 412;
constexpr int kPass2Edit = 414;

constexpr int kLbxFileList = 501;
constexpr int kEdFile = 502;
constexpr int kPickButton = 503;
constexpr int kBtnOK = 504;
constexpr int kBtnCancel = 505;
constexpr int kBtnAdd = 506;

constexpr int kPromptPassEdit = 302;
constexpr int kPromptOk = 303;

constexpr const char* kCreateCaption = "Create new profile";
constexpr const char* kEditCaption = "Edit selected profile";
constexpr const char* kWizardCaption = "Files and Folders Wizard";
constexpr const char* kPromptCaption = "Password checking for selected profile";

std::vector<TProfileObj> StoredProfiles(const Install& install) {
    std::vector<TProfileObj> profiles;
    auto bytes = ReadFileBytes(install.StorageFile());
    if (!bytes)
        return profiles;
    for (std::size_t at = 0; at + kRecordSize <= bytes->size(); at += kRecordSize)
        profiles.push_back(DecodeRecord(
            std::span<const std::uint8_t, kRecordSize>(bytes->data() + at, kRecordSize)));
    return profiles;
}

class ProfileDialogsE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteSettingsKey();
        ASSERT_TRUE(app_.Started());
        main_ = app_.MainWindow();
        ASSERT_NE(main_, nullptr);
        // First run (fresh folder, no settings): a welcome dialog beside the main window; it is
        // not needed here, and left open it would sit among the windows the tests look for.
        HWND welcome = app_.WaitWindow(nullptr, "Welcome !");
        ASSERT_NE(welcome, nullptr);
        PostMessageA(welcome, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitGone(welcome));
    }
    void TearDown() override {
        if (app_.Running()) {
            ChooseTrayItem(app_.Pid(), main_, kMenuQuit);
            app_.WaitExit();
        }
        DeleteSettingsKey();
    }
    HWND Wait(const char* caption) { return app_.WaitWindow(nullptr, caption); }
    bool WaitGone(HWND window) {
        return WaitUntil([&] { return !IsWindowVisible(window); });
    }
    bool WaitText(HWND control, const std::string& text) {
        return WaitUntil([&] { return Text(control) == text; });
    }
    bool WaitEnabled(HWND control, bool enabled = true) {
        return WaitUntil([&] { return Enabled(control) == enabled; });
    }

    // Opens the create dialog with `name` typed into it, and the wizard from there.
    template <typename Text>
    void OpenCreateAndWizard(const Text& name, HWND& dialog, HWND& wizard) {
        Click(Item(main_, kCreateProfile));
        dialog = Wait(kCreateCaption);
        ASSERT_NE(dialog, nullptr);
        SetText(Item(dialog, kProfileNameEdit), name);
        Click(Item(dialog, kCallWizardButton));
        wizard = Wait(kWizardCaption);
        ASSERT_NE(wizard, nullptr);
    }
    // Creates a profile through the properties dialog, the path list typed into the wizard.
    void CreateProfileThroughWizard(const std::string& name,
                                    const std::vector<std::string>& entries,
                                    const std::string& password, bool screenshots = false) {
        HWND dialog = nullptr;
        HWND wizard = nullptr;
        ASSERT_NO_FATAL_FAILURE(OpenCreateAndWizard(name, dialog, wizard));
        for (const std::string& entry : entries) {
            SetText(Item(wizard, kEdFile), entry);
            ASSERT_TRUE(WaitEnabled(Item(wizard, kBtnAdd)));
            Click(Item(wizard, kBtnAdd));
            ASSERT_TRUE(WaitEnabled(Item(wizard, kBtnAdd), false));
        }
        if (screenshots)
            Screenshot("dialogs-wizard");
        Click(Item(wizard, kBtnOK));
        std::string joined;
        for (const std::string& entry : entries)
            joined += (joined.empty() ? "" : ";") + entry;
        ASSERT_TRUE(WaitText(Item(dialog, kListEdit), joined));
        if (password.empty()) {
            Click(Item(dialog, kCheckPassword));
        } else {
            SetText(Item(dialog, kPass1Edit), password);
            SetText(Item(dialog, kPass2Edit), password);
        }
        ASSERT_TRUE(WaitEnabled(Item(dialog, kApplyButton)));
        if (screenshots)
            Screenshot("dialogs-properties");
        Click(Item(dialog, kApplyButton));
        ASSERT_TRUE(WaitGone(dialog));
    }
    // Closes (hides) the main window, which saves the list; waits for the storage file to hold
    // that many records. Its size is polled without opening it, so that the test never holds the
    // file open while the program replaces it (which would make the save fail).
    void CloseMainAndWaitForSave(std::size_t profiles) {
        PostMessageA(main_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(
            WaitUntil([&] { return FileSize(install_.StorageFile()) == profiles * kRecordSize; }));
        ASSERT_EQ(StoredProfiles(install_).size(), profiles);
    }
    // Brings the hidden main window back (tray double click), which reloads the list (the
    // welcome dialog shows on the first start only).
    void ShowMain() {
        Tray(main_, kTrayDoubleClick);
        ASSERT_TRUE(WaitUntil([&] { return Visible(main_); }));
    }

    Install install_;
    App app_{install_};
    HWND main_ = nullptr;
};

TEST_F(ProfileDialogsE2eTest, CreateEditActivateAndDeleteAProtectedProfile) {
    CreateProfileThroughWizard("Work", {"c:\\work\\*.*", "d:\\notes.txt"}, "Tiger9", true);
    HWND combo = Item(main_, kProfiles);
    ASSERT_EQ(ComboCount(combo), 2);
    EXPECT_EQ(ComboItem(combo, 1), "Work");
    EXPECT_EQ(ComboIndex(combo), 1);

    CloseMainAndWaitForSave(2);
    auto stored = StoredProfiles(install_);
    EXPECT_EQ(stored[1].ProfileName.str(), "Work");
    EXPECT_EQ(stored[1].PathList.str(), "c:\\work\\*.*;d:\\notes.txt");
    EXPECT_EQ(stored[1].CheckFlag, 1);
    EXPECT_EQ(stored[1].CheckByte, PasswordCheckByte("Tiger9"));

    // Edit: a wrong password is refused before the dialog opens, and the prompt asks again.
    ShowMain();
    SelectCombo(combo, 1);
    Click(Item(main_, kEditProfile));
    HWND prompt = Wait(kPromptCaption);
    ASSERT_NE(prompt, nullptr);
    SetText(Item(prompt, kPromptPassEdit), "tiger9");
    Click(Item(prompt, kPromptOk));
    HWND box = app_.WaitMessageBox("Password chacking");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "Password is not correct !");
    Answer(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
    EXPECT_EQ(app_.FindWindowOf(nullptr, kEditCaption), nullptr);

    // The right one opens it with the password filled in; change the path list.
    prompt = Wait(kPromptCaption);
    ASSERT_NE(prompt, nullptr);
    SetText(Item(prompt, kPromptPassEdit), "Tiger9");
    Click(Item(prompt, kPromptOk));
    HWND dialog = Wait(kEditCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(Item(dialog, kProfileNameEdit)), "Work");
    EXPECT_FALSE(Enabled(Item(dialog, kApplyButton)));
    SetText(Item(dialog, kListEdit), "c:\\work\\*.*;e:\\Shared Folder\\*.*");
    ASSERT_TRUE(WaitEnabled(Item(dialog, kApplyButton)));
    Click(Item(dialog, kApplyButton));
    ASSERT_TRUE(WaitGone(dialog));

    // Activate it: the driver gets the upper-cased path list and the password's digest.
    ASSERT_TRUE(standin::ResetJournal());
    SetText(Item(main_, kPassEdit1), "Tiger9");
    ASSERT_TRUE(WaitEnabled(Item(main_, kActivateButton)));
    Click(Item(main_, kActivateButton));
    OmxStandinJournal journal{};
    ASSERT_TRUE(WaitUntil([&] { return standin::ReadJournal(journal) && journal.Starts == 1; }));
    ASSERT_EQ(journal.HasBlock, 1u);
    const char* sentList = reinterpret_cast<const char*>(journal.LastBlock + 256);
    EXPECT_EQ(std::string(sentList), "C:\\WORK\\*.*;E:\\SHARED FOLDER\\*.*");
    const std::string digest = PasswordDigest("Tiger9");
    EXPECT_EQ(std::memcmp(journal.LastBlock + 512, digest.data(), kDigestSize), 0);

    // Delete it.
    ShowMain();
    SelectCombo(combo, 1);
    Click(Item(main_, kDeleteProfile));
    box = app_.WaitMessageBox("Deleting selected profile");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "Do you realy want to delete profile \"Work\" ?");
    // The taskbar's Close meanwhile, or a close sent to the disabled main window, brings the
    // question forward and neither hides nor saves.
    const auto bytes = ReadFileBytes(install_.StorageFile());
    SendMessageA(GetWindow(main_, GW_OWNER), WM_CLOSE, 0, 0);
    SendMessageA(main_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }));
    EXPECT_TRUE(Visible(main_));
    EXPECT_EQ(ReadFileBytes(install_.StorageFile()), bytes);
    Answer(box, IDYES);
    ASSERT_TRUE(WaitUntil([&] { return ComboCount(combo) == 1; }));
    EXPECT_EQ(ComboIndex(combo), 0);
    CloseMainAndWaitForSave(1);
    EXPECT_EQ(StoredProfiles(install_)[0].ProfileName.str(), "My Confidential Data");
}

// Cyrillic typed as Unicode: refused where the code page lacks the letters (1252), taken in the
// code page's bytes where it has them (1251: ctest runs this test a second time so, and says
// which in VELT_CODE_PAGE).
TEST_F(ProfileDialogsE2eTest, ForeignLettersAreRefusedOrStoredInTheCodePagesBytes) {
    const char* page = std::getenv("VELT_CODE_PAGE");
    ASSERT_EQ(GetACP(), page != nullptr ? std::strtoul(page, nullptr, 10) : 1252UL);
    const bool held = GetACP() == 1251;
    const std::wstring name = L"\u041f\u0430\u043f\u043a\u0430"; // "Papka" in Cyrillic
    const std::wstring path = L"c:\\" + name + L"\\*.*";
    const std::wstring password = L"\u043f\u0430\u0440\u043e\u043b\u044c";
    HWND dialog = nullptr;
    HWND wizard = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenCreateAndWizard(name, dialog, wizard));
    SetText(Item(wizard, kEdFile), path);
    EXPECT_EQ(Enabled(Item(wizard, kBtnAdd)), held);
    if (!held) { // the edit says why, in a balloon
        EXPECT_TRUE(WaitUntil([&] { return app_.FindWindowOf(TOOLTIPS_CLASSA, nullptr); }));
    }
    Click(Item(wizard, kBtnAdd));
    // OK would take the refused entry with the list: it is disabled too, and Cancel closes.
    EXPECT_EQ(Enabled(Item(wizard, kBtnOK)), held);
    Click(Item(wizard, held ? kBtnOK : kBtnCancel));
    ASSERT_TRUE(WaitGone(wizard));
    EXPECT_EQ(Text(Item(dialog, kListEdit)).empty(), !held);
    SetText(Item(dialog, kListEdit), path);
    SetText(Item(dialog, kPass1Edit), password);
    SetText(Item(dialog, kPass2Edit), password);
    ASSERT_EQ(Enabled(Item(dialog, kApplyButton)), held);
    Click(Item(dialog, kApplyButton));
    if (!held) {
        Click(Item(dialog, kCancelButton));
    }
    ASSERT_TRUE(WaitGone(dialog));
    CloseMainAndWaitForSave(held ? 2 : 1);

    // The driver gets the path list upper-cased in the code page, and the password's digest.
    ShowMain();
    SelectCombo(Item(main_, kProfiles), held ? 1 : 0);
    ASSERT_TRUE(standin::ResetJournal());
    SetText(Item(main_, kPassEdit1), password);
    SetText(Item(main_, kPassEdit2), password); // shown for the default profile only
    ASSERT_EQ(Enabled(Item(main_, kActivateButton)), held);
    OmxStandinJournal journal{};
    if (!held) {
        // Sent, not posted: once it returns, the click has been handled.
        SendMessageTimeoutA(Item(main_, kActivateButton), BM_CLICK, 0, 0, SMTO_NORMAL, kWaitMs,
                            nullptr);
        ASSERT_TRUE(standin::ReadJournal(journal));
        EXPECT_EQ(journal.Starts, 0u) << "nothing is sent";
        return;
    }
    Click(Item(main_, kActivateButton));
    const std::string cp1251Name = "\xCF\xE0\xEF\xEA\xE0";
    const std::string cp1251Password = "\xEF\xE0\xF0\xEE\xEB\xFC";
    const TProfileObj stored = StoredProfiles(install_)[1];
    EXPECT_EQ(stored.ProfileName.str(), cp1251Name);
    EXPECT_EQ(stored.PathList.str(), "c:\\" + cp1251Name + "\\*.*");
    EXPECT_EQ(stored.CheckByte, PasswordCheckByte(cp1251Password));
    ASSERT_TRUE(WaitUntil([&] { return standin::ReadJournal(journal) && journal.Starts == 1; }));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(journal.LastBlock + 256)),
              "C:\\\xCF\xC0\xCF\xCA\xC0\\*.*");
    const std::string digest = PasswordDigest(cp1251Password);
    EXPECT_EQ(std::memcmp(journal.LastBlock + 512, digest.data(), kDigestSize), 0);
}

TEST_F(ProfileDialogsE2eTest, QuitWithoutClosingKeepsTheNewProfile) {
    // A saved list to start from: the default profile.
    CloseMainAndWaitForSave(1);
    ShowMain();
    CreateProfileThroughWizard("Scratch", {"c:\\tmp\\*.*"}, "");
    ASSERT_EQ(ComboCount(Item(main_, kProfiles)), 2);
    ASSERT_TRUE(ChooseTrayItem(app_.Pid(), main_, kMenuQuit));
    ASSERT_TRUE(app_.WaitExit().has_value());
    ASSERT_EQ(StoredProfiles(install_).size(), 2u);

    App again(install_);
    HWND main2 = again.MainWindow();
    ASSERT_NE(main2, nullptr);
    HWND combo = Item(main2, kProfiles);
    EXPECT_TRUE(WaitUntil([&] { return ComboCount(combo) == 2; }));
    EXPECT_EQ(ComboItem(combo, 1), "Scratch");
    EXPECT_EQ(ComboIndex(combo), 1);
    ChooseTrayItem(again.Pid(), main2, kMenuQuit);
    again.WaitExit();
}

TEST_F(ProfileDialogsE2eTest, PickingAFolderAddsThePatternAFileStaysAsItIsAndOkKeepsThePick) {
    const std::string folder = install_.Path("Picked Folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string file = install_.Path("picked.txt");
    ASSERT_TRUE(WriteFileBytes(file, {'x'}));

    Click(Item(main_, kCreateProfile));
    HWND dialog = Wait(kCreateCaption);
    ASSERT_NE(dialog, nullptr);
    Click(Item(dialog, kCallWizardButton));
    HWND wizard = Wait(kWizardCaption);
    ASSERT_NE(wizard, nullptr);

    struct Pick {
        std::string path;
        std::string entry;
        bool isFolder;
    };
    const Pick picks[] = {{file, file, false}, {folder, folder + "\\*.*", true}};
    bool shot = false;
    for (const Pick& pick : picks) {
        Click(Item(wizard, kPickButton));
        HWND browse = app_.WaitWindow(kDialogClass, nullptr);
        ASSERT_NE(browse, nullptr);
        EXPECT_FALSE(Enabled(wizard)) << "the program's windows wait for the browse dialog";
        velt::testing::BrowseTree tree(app_.Pid(), browse);
        ASSERT_TRUE(tree.Select(pick.path)) << pick.path;
        if (pick.isFolder) {
            ASSERT_TRUE(WaitEnabled(GetDlgItem(browse, IDOK)));
        }
        if (!shot) {
            Screenshot("dialogs-browse");
            shot = true;
        }
        // Wine's browse dialog keeps OK disabled on a file when only file-system items may be
        // returned (Windows accepts files with these flags); its OK command still returns the
        // selected file, so the test gives the command directly.
        PostMessageA(browse, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browse); }));
        HWND edit = Item(wizard, kEdFile);
        EXPECT_TRUE(WaitUntil([&] {
            return lstrcmpiA(Text(edit).c_str(), pick.entry.c_str()) == 0;
        })) << Text(edit)
            << " vs " << pick.entry;
        EXPECT_TRUE(WaitEnabled(wizard)) << "enabled again after the browse dialog";
    }
    EXPECT_EQ(SendMessageA(Item(wizard, kLbxFileList), LB_GETCOUNT, 0, 0), 0)
        << "picking only fills the edit";
    // OK keeps the last pick, not yet added, with the list.
    Click(Item(wizard, kBtnOK));
    ASSERT_TRUE(WaitGone(wizard));
    EXPECT_EQ(lstrcmpiA(Text(Item(dialog, kListEdit)).c_str(), (folder + "\\*.*").c_str()), 0)
        << Text(Item(dialog, kListEdit));
    Click(Item(dialog, kCallWizardButton));
    wizard = Wait(kWizardCaption);
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(SendMessageA(Item(wizard, kLbxFileList), LB_GETCOUNT, 0, 0), 1);
    // A close sent from another program, as Task Manager's End task sends it, ends the wizard
    // with no further input.
    SendMessageTimeoutA(wizard, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_TRUE(WaitGone(wizard));
    Click(Item(dialog, kCancelButton));
    ASSERT_TRUE(WaitGone(dialog));
}

} // namespace
} // namespace velt::e2e
