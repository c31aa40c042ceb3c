// The main window "Veltarion": pick a profile, type its password, press Activate. It owns the
// notification-area icon and its menu (activate, deactivate, deactivate automatically, about,
// quit). Closing the window only
// hides it; the program stays in the tray until Quit.
#pragma once

#include "app/AutoDeactivate.h"
#include "app/CommandLine.h"
#include "app/ProgramEvents.h"
#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/ItemsControl.h"
#include "forms/PopupMenu.h"
#include "forms/StaticControls.h"
#include "forms/TrayIcon.h"
#include "platform/EventLog.h"
#include "platform/Files.h"
#include "platform/SettingsRegistry.h"
#include "platform/Shell.h"
#include "profiles/ProfileList.h"
#include "profiles/RegistIO.h"

#include "SharedNames.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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

    // Tray tips.
    static constexpr const char* kTipReady = "OMVEX: Ready for job";
    static constexpr const char* kTipWorking = "OMVEX: Ciphering file I/O operation";
    static constexpr const char* kTipWorkingStandIn =
        "OMVEX: Ciphering file I/O operation (stand-in driver: nothing is ciphered)";

    // The services the window reaches the system through; they must outlive the window.
    struct Services {
        IShell& shell;
        ISettingsRegistry& registry;
        IFiles& files;
        MachineRegistry machine;
        ISessionWatch& session;
        IEventLog& eventLog;
    };

    TSetParamForm(Application& app, Services services);
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

    // The notification-area icon and its 88-byte record (before the menu: the automatic
    // deactivation keeps a reference to it).
    TrayIcon IconData;

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

    // The result of the last start request sent from this window.
    bool Activated = false;
    // The driver connected at creation is our stand-in: the caption, the working tip and the
    // about box say that nothing is ciphered.
    bool StandIn = false;
    // The full name of the profile storage file, set at creation.
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

    // A command from the command line, carried out here (MainCommands.cpp): its exit code, or
    // kCommandPending while an activation waits for the user; `reply` then gets the code once the
    // user activated (0), the driver refused (1) or the window closed first (5).
    int RunCommand(const Command& command, std::function<void(int)> reply);

    // The application's help handler: opens "ReadMe.htm" from the current directory, whatever
    // the command and the context.
    void ApplicationHelp(unsigned command, long data);

    // Upper-cases in place the Latin letters a-z and the Windows-1251 Cyrillic letters
    // (224-255 become 192-223); every other byte stays.
    static void MakeUpperCase(std::string& s);

    // Puts the entries of ProfileList into Profiles and selects ProfileList's current entry.
    void ShowProfileList();
    // The store of the profile list, available once the window was created.
    ProfileStore& Store();
    IShell& Shell() const { return services_.shell; }

  private:
    // The tray icon's callback and the registered messages.
    bool HandleMessage(unsigned message, std::intptr_t lParam);
    void ShowTrayState(bool working);
    // Tells the driver to stop; when protection was on, the Event Log hears that it went off
    // for `cause`, or that the driver refused. False when it refused.
    bool StopProtection(OffCause cause);
    // Stops the driver and shows the tray ready: a confirmed or automatic deactivation. False,
    // with nothing changed, when the driver refused to stop.
    bool Deactivate(OffCause cause);
    void TellStopRefused();
    // Saves the list; a refused save goes to the Event Log with where its copy was kept.
    void SaveList();
    // Ends the pending activation command, if any, with `code`.
    void EndCommand(int code);
    // Quit and the end of the session keep the list of a shown window as closing it does, under
    // the store's rules (an unloaded or refused store is not written).
    void KeepShownProfiles();
    // After a refused password: the password edits' texts selected, the focus in the first.
    void SelectForRetyping();

    Services services_;
    std::optional<ProfileStore> store_;
    // The path list of the profile last handed to the driver, for telling a refused stop.
    std::string activePaths_;
    unsigned taskbarCreated_ = 0;
    // The activation command waiting for the user: its profile and where its result goes.
    std::string commandProfile_;
    std::function<void(int)> commandReply_;
};

} // namespace velt
