#include "app/Main.h"
#include "platform/Error.h"

#include "app/Installation.h"
#include "app/OmvexUI.h"
#include "ResourceNames.h"
#include "dialogs/About.h"
#include "dialogs/InputReasons.h"
#include "digest/MD5_RC4.h"
#include "driver/OMX_API.h"
#include "profiles/DefaultProf.h"

namespace velt {

namespace {

constexpr const char* kHelpDocument = "ReadMe.htm";

} // namespace

TSetParamForm::TSetParamForm(Application& app, Services services, ProfileStore store)
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
      CancelButton(*this, kCancelButton, {172, 160, 95, 28}, "Cancel"),
      Protection(services.eventLog), IconData(*this), Tray(IconData, Protection), IconMenu(*this),
      ActivateItem(IconMenu, "Activate ..."), Line1(IconMenu, "-"),
      DeacivateItem(IconMenu, "Deactivate"),
      AutoDeactivate(IconMenu, IconData, {services.registry, services.machine}, services.session,
                     kSettingsKeyPath, Protection),
      Line2(IconMenu, "-"), AboutItem(IconMenu, "About Omvex ..."), Line3(IconMenu, "-"),
      QuitItem(IconMenu, "Quit"), ProfilesFilePath(store.StoragePath()), Commands(*this),
      services_(services), store_(std::move(store)) {
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

    PassEdit1.SetHint("Enter here your password for opening access to files and folders from "
                      "selected profile");
    MakePasswordEdit(PassEdit1);
    PassEdit1.OnChange = [this] { PassEdit1Change(); };
    PassLabel2.SetVisible(false);
    PassEdit2.SetHint("Reenter password, which you type in previous field");
    MakePasswordEdit(PassEdit2);
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
    Protection.OnChange = [this] { ProtectionChanged(); };

    OnCreate = [this] { FormCreate(); };
    OnDestroy = [this] { FormDestroy(); };
    OnShow = [this] { FormShow(); };
    OnClose = [this](CloseAction& action) { FormClose(action); };
    OnTimer = [this](unsigned id) { AutoDeactivate.TimerDue(id); };
    OnSystemEvent = [this](SystemEvent event) {
        if (event == SystemEvent::SessionEnding) {
            // The session ends and so does the program: protection must not outlive it, and
            // the user's changes must. A refused stop keeps saying that protection is on.
            Protection.Stop(OffCause::SessionEnd);
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

void TSetParamForm::FormCreate() {
    Tray.Add();
    // Explorer announces a restart with this message; the icon is then added again.
    taskbarCreated_ = Backend().RegisterMessageId("TaskbarCreated");
    AutoDeactivate.Start();

    DriverConnect(App(), [this](std::string_view file, std::string_view reason) {
        services_.eventLog.Report(DriverFileRefusedEntry(file, reason));
    });

    // A start that ends because the driver is out of reach leaves nothing behind, so that the
    // next start is a true first start.
    if (!App().Terminated()) {
        Store().EnsureSettingsKey();
    }
    Protection.JudgeDriver();
    SetCaption(Protection.StandIn() ? kStandInCaption : kCaption);
    Backend().SetForeground(*this);
    App().OnHelp = [this](unsigned command, long data) { ApplicationHelp(command, data); };
    FocusControl(PassEdit1);
}

void TSetParamForm::FormDestroy() {
    Pending.Cancel(PendingCommand::kProgramEnded);
    AutoDeactivate.Stop();
    Protection.Stop(OffCause::Quit);
    Tray.Remove();
}

bool TSetParamForm::HandleMessage(unsigned message, std::intptr_t lParam) {
    if (message == kTrayCallbackMessage) {
        IconMessage(lParam);
        return true;
    }
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        Tray.Add();
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
    if (!Protection.On()) {
        App().ShowMessage("Omvex is already in inactive mode !", "Deactivation", kMbOk);
        return;
    }
    if (App().ShowMessage("Do you really want to deactivate Omvex ?", "Deactivation",
                          kMbYesNoQuestion) != kIdYes) {
        return;
    }
    // Protection may have turned itself off while the question was open.
    if (Protection.On() && !Protection.Stop(OffCause::User)) {
        TellStopRefused();
    }
}

void TSetParamForm::TellStopRefused() {
    App().ShowMessage(Protection.StopRefusedText(), "Deactivation", kMbIconError);
}

void TSetParamForm::AboutItemClick() {
    if (AboutForm == nullptr) {
        return;
    }
    AboutForm->StandInLabel.SetVisible(Protection.StandIn());
    // Never a second one: an open about box is only brought to the front.
    if (AboutForm->Visible()) {
        AboutForm->Show();
    } else {
        AboutForm->ShowModal();
    }
}

void TSetParamForm::QuitItemClick() {
    Quit();
}

bool TSetParamForm::Quit() {
    Pending.Cancel(PendingCommand::kProgramEnded);
    const bool stopped = Protection.Stop(OffCause::Quit);
    App().RequestTerminate();
    KeepShownProfiles();
    return stopped;
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
    Pending.Cancel(PendingCommand::kWindowClosed);
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
    ClearPasswords();
}

void TSetParamForm::ClearPasswords() {
    // Password edits wipe the text they replace.
    PassEdit1.SetText("");
    PassEdit2.SetText("");
    ActivateButton.SetEnabled(false);
}

void TSetParamForm::PassEdit1Change() {
    std::string_view fault = Profiles.ItemIndex() < 0 ? kReasonNoProfile : PasswordFault(PassEdit1);
    // Only the lengths are compared here; the texts are compared when Activate is pressed.
    if (fault.empty() && PassEdit2.Visible()) {
        fault = ReenterFault(PassEdit2, PassEdit1.Text().size() == PassEdit2.Text().size());
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
    // The password goes to the driver straight from the edit: no copy of it is made here.
    const bool started = Protection.Start(p, PassEdit1.Text());
    ClearPasswords();
    // The command waiting for this activation ends with it; another profile is not the one it
    // asked for.
    Pending.Activated(name, started);
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

void TSetParamForm::ProtectionChanged() {
    Tray.Show();
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
    // A password is for the profile it was typed for: another selection empties both edits (a
    // reload that selects the same profile again keeps them).
    const std::string name =
        i < 0 ? std::string() : ProfileList.Profile(static_cast<std::size_t>(i)).ProfileName.str();
    if (i != passwordsFor_ || name != passwordsForName_) {
        passwordsFor_ = i;
        passwordsForName_ = name;
        ClearPasswords();
    }
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

} // namespace velt
