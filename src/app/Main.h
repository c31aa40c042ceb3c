// The main window "Veltarion": pick a profile, type its password, press Activate. It owns the
// notification-area icon and its menu (activate, deactivate, deactivate automatically, about,
// quit). Closing the window only
// hides it; the program stays in the tray until Quit.
#pragma once

#include "app/AutoDeactivate.h"
#include "app/MainCommands.h"
#include "app/PendingCommand.h"
#include "app/Protection.h"
#include "app/TrayPresenter.h"
#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/ItemsControl.h"
#include "forms/PopupMenu.h"
#include "forms/StaticControls.h"
#include "forms/TrayIcon.h"
#include "platform/EventLog.h"
#include "platform/SettingsRegistry.h"
#include "platform/Shell.h"
#include "profiles/ProfileList.h"
#include "profiles/RegistIO.h"

#include "SharedNames.h"

#include <cstdint>
#include <memory>
#include <string>

namespace velt {

class TSetParamForm final : public Form {
  public:
    // Control ids (the real controls' ids, for tests that drive the window).
    enum Id : int {
        kPanel1 = 100,
        kLabel1 = 101,
        kProfiles = 102,
        kCreateProfile = 103,
        kEditProfile = 104,
        kDeleteProfile = 105,
        kBevel1 = 106,
        kPassLabel1 = 107,
        kPassEdit1 = 108,
        kPassLabel2 = 109,
        kPassEdit2 = 110,
        kAboutImage = 111,
        kActivateButton = 112,
        kCancelButton = 113,
    };
    static constexpr const char* kCaption = shared::kWindowCaption;
    // The caption while the loaded driver is our stand-in, which ciphers nothing.
    static constexpr const char* kStandInCaption = shared::kStandInWindowCaption;
    static constexpr int kHelpContext = 1;

    // The services the window reaches the system through; they must outlive the window.
    struct Services {
        IShell& shell;
        ISettingsRegistry& registry;
        MachineRegistry machine;
        ISessionWatch& session;
        IEventLog& eventLog;
    };

    // `store` keeps the profile list where start-up chose (MakeUserStore).
    TSetParamForm(Application& app, Services services, ProfileStore store);
    ~TSetParamForm() override;

    Panel Panel1;
    Label Label1;
    ComboBox Profiles;
    Button CreateProfile;
    Button EditProfile;
    Button DeleteProfile;
    Bevel Bevel1;
    Label PassLabel1;
    Edit PassEdit1;
    Label PassLabel2;
    Edit PassEdit2;
    Picture AboutImage;
    Button ActivateButton;
    Button CancelButton;

    // Protection as the driver was told it (before the tray and the menu, which show it and
    // turn it off).
    velt::Protection Protection;
    // The notification-area icon and its 88-byte record (before the menu: the automatic
    // deactivation keeps a reference to it).
    TrayIcon IconData;
    TrayPresenter Tray;

    PopupMenu IconMenu;
    MenuItem ActivateItem;
    MenuItem Line1;
    MenuItem DeacivateItem;
    // The "Deactivate automatically" submenu and the events it watches.
    AutoDeactivation AutoDeactivate;
    MenuItem Line2;
    MenuItem AboutItem;
    MenuItem Line3;
    MenuItem QuitItem;

    // The full name of the profile storage file.
    std::string ProfilesFilePath;
    // The profiles shown by the combo box Profiles, entry for entry.
    velt::ProfileList ProfileList;

    // Window events.
    void FormCreate();
    void FormDestroy();
    void FormClose(CloseAction& action);
    void FormShow();
    // The tray icon's callback message: 516 opens the menu, 515 runs ActivateItemClick.
    void IconMessage(std::intptr_t mouseMessage);

    // Tray menu.
    void ActivateItemClick();
    void DeacivateItemClick();
    void AboutItemClick();
    void QuitItemClick();

    // Controls.
    void PassEdit1Change();
    void ActivateButtonClick();
    void CancelButtonClick();
    void ProfilesChange();
    // Profile commands (MainProfileCommands.cpp).
    void CreateProfileClick();
    void EditProfileClick();
    void DeleteProfileClick();

    // The activation command waiting for the user, and the commands of the command line.
    PendingCommand Pending;
    MainCommands Commands;

    // Quit, from the tray, a command or an installer: stops the driver and ends the program. False
    // when the driver refused to stop (the program ends all the same).
    bool Quit();
    // Tells the user that the driver refused to stop, and which paths may still be ciphered.
    void TellStopRefused();

    // The application's help handler: opens "ReadMe.htm" from the current directory, whatever
    // the command and the context.
    void ApplicationHelp(unsigned command, long data);

    // Puts the entries of ProfileList into Profiles and selects ProfileList's current entry.
    void ShowProfileList();
    ProfileStore& Store() { return store_; }

  private:
    // The tray icon's callback and the registered messages.
    bool HandleMessage(unsigned message, std::intptr_t lParam);
    // The tray and the idle watch follow a change of protection.
    void ProtectionChanged();
    // Saves the list; a refused save goes to the Event Log with where its copy was kept.
    void SaveList();
    // Quit and the end of the session keep the list of a shown window as closing it does, under
    // the store's rules (an unloaded or refused store is not written).
    void KeepShownProfiles();
    // After a refused password: the password edits' texts selected, the focus in the first.
    void SelectForRetyping();
    // Empties both password edits (their texts are wiped) and disables Activate.
    void ClearPasswords();

    Services services_;
    ProfileStore store_;
    unsigned taskbarCreated_ = 0;
    // The profile the password edits were last emptied for: a password belongs to it alone.
    int passwordsFor_ = -1;
    std::string passwordsForName_;
};

} // namespace velt
