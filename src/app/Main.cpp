#include "app/Main.h"
#include "platform/Error.h"

#include "app/OmvexUI.h"
#include "ResourceNames.h"
#include "dialogs/About.h"
#include "dialogs/InputReasons.h"
#include "digest/MD5_RC4.h"
#include "driver/OMX_API.h"
#include "driver/StandInDriver.h"
#include "profiles/DefaultProf.h"
#include "profiles/StoragePaths.h"

namespace velt {

namespace {

constexpr const char* kHelpDocument = "ReadMe.htm";

} // namespace

TSetParamForm::TSetParamForm(Application& app, Services services)
    : Form(app, kCaption, 326, 198), Panel1(*this, kPanel1, {4, 4, 317, 145}),
      Label1(Panel1, kLabel1, Panel1.FromClient({8, 16, 0, 0}), "Select profile"),
      Profiles(Panel1, kProfiles, Panel1.FromClient({8, 39, 301, 21})),
      CreateProfile(Panel1, kCreateProfile, Panel1.FromClient({220, 8, 24, 24}), "",
                    Button::Style::Tool),
      EditProfile(Panel1, kEditProfile, Panel1.FromClient({252, 8, 24, 24}), "",
                  Button::Style::Tool),
      DeleteProfile(Panel1, kDeleteProfile, Panel1.FromClient({284, 8, 24, 24}), "",
                    Button::Style::Tool),
      Bevel1(Panel1, kBevel1, Panel1.FromClient({8, 68, 301, 2}), Bevel::Shape::HorizontalLine),
      PassLabel1(Panel1, kPassLabel1, Panel1.FromClient({8, 86, 0, 0}), "Enter password "),
      PassEdit1(Panel1, kPassEdit1, Panel1.FromClient({100, 80, 150, 21})),
      PassLabel2(Panel1, kPassLabel2, Panel1.FromClient({9, 118, 0, 0}), "Reenter password"),
      PassEdit2(Panel1, kPassEdit2, Panel1.FromClient({100, 112, 150, 21})),
      AboutImage(Panel1, kAboutImage, Panel1.FromClient({256, 78, 54, 54}), res::kMainIcon),
      ActivateButton(*this, kActivateButton, {60, 160, 95, 28}, "Activate"),
      CancelButton(*this, kCancelButton, {172, 160, 95, 28}, "Cancel"), IconData(*this),
      IconMenu(*this), ActivateItem(IconMenu, "Activate ..."), Line1(IconMenu, "-"),
      DeacivateItem(IconMenu, "Deactivate"),
      AutoDeactivate(IconMenu, IconData, {services.registry, services.machine}, services.session,
                     kSettingsKeyPath,
                     {[this] { return Activated; },
                      [this](WalkAway event) {
                          return Deactivate(event == WalkAway::Lock    ? OffCause::Lock
                                            : event == WalkAway::Sleep ? OffCause::Sleep
                                                                       : OffCause::Idle);
                      }}),
      Line2(IconMenu, "-"), AboutItem(IconMenu, "About Omvex ..."), Line3(IconMenu, "-"),
      QuitItem(IconMenu, "Quit"), services_(services) {
    SetHelpContext(kHelpContext);
    SetBorder(BorderStyle::Single);

    Profiles.SetHint("Select already created profile from list");
    Profiles.OnChange = [this] { ProfilesChange(); };

    CreateProfile.SetPicture(res::kBmpCreateProfile);
    CreateProfile.SetHint("Create new profile ...");
    CreateProfile.OnClick = [this] { CreateProfileClick(); };
    EditProfile.SetPicture(res::kBmpEditProfile);
    EditProfile.SetHint("Edit selected profile ...");
    EditProfile.OnClick = [this] { EditProfileClick(); };
    DeleteProfile.SetPicture(res::kBmpDeleteProfile);
    DeleteProfile.SetHint("Delete selected profile");
    DeleteProfile.OnClick = [this] { DeleteProfileClick(); };
    // The same commands from the keyboard in the profile list: the tool buttons take no focus.
    Keys.Add({kKeyInsert}, &Profiles, CreateProfile);
    Keys.Add({kKeyF2}, &Profiles, EditProfile);
    Keys.Add({kKeyDelete}, &Profiles, DeleteProfile);

    PassEdit1.SetPassword(true);
    PassEdit1.SetMaxLength(kMaxPasswordLength);
    PassEdit1.SetHint("Enter here your password for opening access to files and folders from "
                      "selected profile");
    PassEdit1.OnChange = [this] { PassEdit1Change(); };
    PassLabel2.SetVisible(false);
    PassEdit2.SetPassword(true);
    PassEdit2.SetMaxLength(kMaxPasswordLength);
    PassEdit2.SetHint("Reenter password, which you type in previous field");
    PassEdit2.SetVisible(false);
    PassEdit2.OnChange = [this] { PassEdit1Change(); };

    AboutImage.SetHandCursor(true);
    AboutImage.SetHint("About Omvex ...");
    AboutImage.OnClick = [this] { AboutItemClick(); };

    ActivateButton.SetPicture(res::kBmpActivate);
    ActivateButton.SetDefault(true);
    ActivateButton.SetEnabled(false);
    ActivateButton.OnClick = [this] { ActivateButtonClick(); };
    CancelButton.SetPicture(res::kBmpCancel);
    CancelButton.SetCancel(true);
    CancelButton.OnClick = [this] { CancelButtonClick(); };

    ActivateItem.Default = true;
    ActivateItem.OnClick = [this] { ActivateItemClick(); };
    DeacivateItem.OnClick = [this] { DeacivateItemClick(); };
    AboutItem.OnClick = [this] { AboutItemClick(); };
    QuitItem.OnClick = [this] { QuitItemClick(); };

    OnCreate = [this] { FormCreate(); };
    OnDestroy = [this] { FormDestroy(); };
    OnShow = [this] { FormShow(); };
    OnClose = [this](CloseAction& action) { FormClose(action); };
    OnTimer = [this](unsigned id) { AutoDeactivate.TimerDue(id); };
    OnSystemEvent = [this](SystemEvent event) {
        if (event == SystemEvent::SessionEnding) {
            // The session ends and so does the program: protection must not outlive it, and
            // the user's changes must.
            StopProtection(OffCause::SessionEnd);
            KeepShownProfiles();
        } else {
            AutoDeactivate.SystemEventRaised(event);
        }
    };
    OnMessage = [this](unsigned message, std::uintptr_t /*wParam*/, std::intptr_t lParam) {
        return HandleMessage(message, lParam);
    };
}

TSetParamForm::~TSetParamForm() {
    if (Application* app = &App(); app->OnHelp) {
        app->OnHelp = nullptr;
    }
}

ProfileStore& TSetParamForm::Store() {
    if (!store_) {
        throw UsageError("the main window has not been created yet");
    }
    return *store_;
}

void TSetParamForm::FormCreate() {
    const std::string exeDirectory = ExtractFileDir(services_.shell.ExecutableName());
    const StoreLocation where = ChooseStoreLocation(
        exeDirectory, RecordedInstallFolders(services_.machine.defaults, services_.shell),
        services_.shell.LocalAppDataFolder());
    ProfilesFilePath = where.storagePath;
    store_.emplace(services_.registry, services_.files, ProfilesFilePath,
                   std::string(kSettingsKeyPath), where.sharedStoragePath);

    IconData.Data.uFlags = kNifMessage | kNifIcon | kNifTip;
    IconData.Data.uCallbackMessage = kTrayCallbackMessage;
    IconData.SetIcon(res::kIconNotWork);
    IconData.SetTip(kTipReady);
    IconData.Add();
    // Explorer announces a restart with this message; the icon is then added again.
    taskbarCreated_ = Backend().RegisterMessageId("TaskbarCreated");
    quitRequest_ = Backend().RegisterMessageId(kQuitMessageName);
    AutoDeactivate.Start();

    Activated = false;
    DriverConnect(App(), [this](std::string_view file, std::string_view reason) {
        services_.eventLog.Report(DriverFileRefusedEntry(file, reason));
    });

    // A start that ends because the driver is out of reach leaves nothing behind, so that the
    // next start is a true first start.
    if (!App().Terminated()) {
        Store().EnsureSettingsKey();
    }
    StandIn = DriverIsStandIn();
    SetCaption(StandIn ? kStandInCaption : kCaption);
    Backend().SetForeground(*this);
    App().OnHelp = [this](unsigned command, long data) { ApplicationHelp(command, data); };
    FocusControl(PassEdit1);
}

void TSetParamForm::FormDestroy() {
    EndCommand(kExitCancelled);
    AutoDeactivate.Stop();
    DriverStop();
    IconData.Data.uFlags = 0;
    IconData.Delete();
}

bool TSetParamForm::HandleMessage(unsigned message, std::intptr_t lParam) {
    if (message == kTrayCallbackMessage) {
        IconMessage(lParam);
        return true;
    }
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        IconData.Add();
        return true;
    }
    if (quitRequest_ != 0 && message == quitRequest_) {
        QuitItemClick();
        return true;
    }
    return false;
}

void TSetParamForm::IconMessage(std::intptr_t mouseMessage) {
    switch (mouseMessage) {
    case kTrayRightButtonDown: {
        const Point at = Backend().CursorPos();
        Backend().SetForeground(*this);
        App().ProcessMessages();
        AutoDeactivate.Refresh();
        IconMenu.Popup(at.x, at.y);
        Backend().SetForeground(*this);
        break;
    }
    case kTrayLeftDoubleClick:
        ActivateItemClick();
        break;
    default:
        break;
    }
}

void TSetParamForm::ActivateItemClick() {
    Store().EnsureSettingsKey();
    // Showing a hidden window runs FormShow, which reloads the profile list.
    Show();
    Backend().SetForeground(*this);
}

void TSetParamForm::DeacivateItemClick() {
    if (!Activated) {
        App().ShowMessage("Omvex is already in inactive mode !", "Deactivation", kMbOk);
        return;
    }
    if (App().ShowMessage("Do you really want to deactivate Omvex ?", "Deactivation",
                          kMbYesNoQuestion) != kIdYes) {
        return;
    }
    // Protection may have turned itself off while the question was open.
    if (Activated && !Deactivate(OffCause::User)) {
        TellStopRefused();
    }
}

void TSetParamForm::TellStopRefused() {
    App().ShowMessage("Omvex could not stop ciphering: the driver refused. The files on the "
                      "profile's paths may still be ciphered: \"" +
                          activePaths_ + "\".",
                      "Deactivation", kMbIconError);
}

bool TSetParamForm::StopProtection(OffCause cause) {
    const bool wasOn = Activated;
    const bool stopped = DriverStop();
    if (wasOn) {
        services_.eventLog.Report(stopped ? ProtectionOffEntry(cause) : StopRefusedEntry());
    }
    return stopped;
}

bool TSetParamForm::Deactivate(OffCause cause) {
    if (!StopProtection(cause)) {
        // The driver may still be ciphering: the state and the tray go on saying so.
        return false;
    }
    Activated = false;
    ShowTrayState(false);
    return true;
}

void TSetParamForm::AboutItemClick() {
    if (AboutForm == nullptr) {
        return;
    }
    AboutForm->StandInLabel.SetVisible(StandIn);
    // Never a second one: an open about box is only brought to the front.
    if (AboutForm->Visible()) {
        AboutForm->Show();
    } else {
        AboutForm->ShowModal();
    }
}

void TSetParamForm::QuitItemClick() {
    EndCommand(kExitCancelled);
    StopProtection(OffCause::Quit);
    App().RequestTerminate();
    KeepShownProfiles();
}

void TSetParamForm::KeepShownProfiles() {
    // A hidden window's list was saved when the window was hidden; saving it again would only
    // push the older generation out of the backup.
    if (Visible()) {
        SaveList();
    }
}

void TSetParamForm::FormClose(CloseAction& action) {
    action = CloseAction::None;
    Hide();
    EndCommand(kExitCancelled);
    SaveList();
}

void TSetParamForm::SaveList() {
    const std::string before = Store().RefusedCopyPath();
    try {
        Store().SaveProfiles(ProfileList, Profiles.ItemIndex());
    } catch (const StoreError&) {
        if (Store().RefusedCopyPath() != before) {
            services_.eventLog.Report(SaveRefusedEntry(Store().RefusedCopyPath()));
        }
        throw;
    }
}

void TSetParamForm::CancelButtonClick() {
    Close();
    PassEdit1.SetText("");
    PassEdit2.SetText("");
    ActivateButton.SetEnabled(false);
}

void TSetParamForm::PassEdit1Change() {
    std::string_view fault = Profiles.ItemIndex() < 0 ? kReasonNoProfile : PasswordFault(PassEdit1);
    // Only the lengths are compared here; the texts are compared when Activate is pressed.
    if (fault.empty() && PassEdit2.Visible()) {
        fault = PasswordFault(PassEdit2);
        if (fault.empty() && PassEdit1.Text().size() != PassEdit2.Text().size()) {
            fault = kReasonDiffer;
        }
    }
    ActivateButton.SetEnabled(fault.empty());
    ActivateButton.SetHint(std::string(fault));
}

void TSetParamForm::ActivateButtonClick() {
    const int i = Profiles.ItemIndex();
    if (i < 0) {
        return;
    }
    if (PassEdit2.Visible() && PassEdit1.Text() != PassEdit2.Text()) {
        App().ShowMessage("Passwords don't match! Please retype and try again.",
                          "Passwords don't match", kMbIconError);
        SelectForRetyping();
        return;
    }
    const TProfileObj& p = ProfileList.Profile(static_cast<std::size_t>(i));
    if (p.CheckFlag != 0 && PasswordCheckByte(PassEdit1.Text()) != p.CheckByte) {
        App().ShowMessage("Password is not correct ! Selected profile requires another password. "
                          "Please retype and try again.",
                          "Password is not correct", kMbIconError);
        SelectForRetyping();
        return;
    }
    Hide();
    const std::string name = p.ProfileName.str();
    activePaths_ = p.PathList.str();
    std::string s = activePaths_;
    MakeUpperCase(s);
    // The password goes to the driver straight from the edit: no copy of it is made here.
    const bool started = DriverStart(s, "*", PassEdit1.Text(), 2);
    Activated = started;
    if (started) {
        services_.eventLog.Report(ProtectionOnEntry(name, services_.eventLog.UserName()));
    }
    PassEdit1.SetText("");
    PassEdit2.SetText("");
    ActivateButton.SetEnabled(false);
    // Telling the shell may let other window messages in, and a lock among them may turn
    // protection off again at once: that is no refused start.
    ShowTrayState(Activated);
    // The command waiting for this activation ends with it; another profile is not the one it
    // asked for.
    if (commandReply_) {
        EndCommand(name != commandProfile_ ? kExitCancelled : started ? kExitDone : kExitFailed);
    }
    if (!started) {
        // A refused start must not look like protection: the tray stays ready and the user is
        // told.
        App().ShowMessage("Protection was not turned on: the driver refused to start ciphering. "
                          "Your files are not protected. Please try again.",
                          "Activation", kMbIconError);
    }
    SaveList();
}

void TSetParamForm::SelectForRetyping() {
    // The texts stay, selected, so that what the user types next replaces them.
    PassEdit1.SelectAll();
    PassEdit2.SelectAll();
    FocusControl(PassEdit1);
}

void TSetParamForm::ShowTrayState(bool working) {
    IconData.SetTip(!working ? kTipReady : StandIn ? kTipWorkingStandIn : kTipWorking);
    IconData.SetIcon(working ? res::kIconWork : res::kIconNotWork);
    IconData.Modify();
    AutoDeactivate.ProtectionChanged();
}

void TSetParamForm::FormShow() {
    // Every showing starts in the password edit: typing goes there, not into the profile list.
    FocusControl(PassEdit1);
    if (App().Terminated()) {
        return; // ending: the load would make the storage file (see FormCreate)
    }
    std::int32_t index = -1;
    bool ok = false;
    try {
        ok = Store().LoadProfiles(ProfileList, index);
    } catch (...) {
        // Whatever was read before the failure is listed; nothing is selected.
        ProfileList.SetItemIndex(-1);
        ShowProfileList();
        throw;
    }
    if (!Store().SharedStoreRefusal().empty()) {
        services_.eventLog.Report(
            SharedStoreRefusedEntry(Store().SharedStoragePath(), Store().SharedStoreRefusal()));
    }
    ProfileList.SetItemIndex(index);
    ShowProfileList();
    if (!ok) {
        DefaultForm = &App().CreateForm<TDefaultForm>(*this, services_.shell);
        DefaultForm->Show();
    }
    ProfilesChange();
}

void TSetParamForm::ShowProfileList() {
    Profiles.Clear();
    for (std::size_t i = 0; i < ProfileList.Count(); ++i) {
        Profiles.Add(ProfileList.Text(i));
    }
    Profiles.SetItemIndex(ProfileList.ItemIndex());
}

void TSetParamForm::ProfilesChange() {
    const int i = Profiles.ItemIndex();
    ProfileList.SetItemIndex(i);
    if (i < 0) {
        Profiles.SetHint("");
        return;
    }
    const TProfileObj& p = ProfileList.Profile(static_cast<std::size_t>(i));
    const bool askTwice = p.CheckFlag == 0;
    PassLabel2.SetVisible(askTwice);
    PassEdit2.SetVisible(askTwice);
    Profiles.SetHint("Files to protect: \"" + p.PathList.str() + "\"");
}

void TSetParamForm::ApplicationHelp(unsigned /*command*/, long /*data*/) {
    services_.shell.OpenDocument(kHelpDocument);
}

void TSetParamForm::MakeUpperCase(std::string& s) {
    for (char& c : s) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 97 && b <= 122) || b >= 224) {
            c = static_cast<char>(b - 32);
        }
    }
}

} // namespace velt
