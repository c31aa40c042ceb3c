#include "app/OmvexUI.h"

#include "app/Main.h"
#include "app/ProgramEvents.h"
#include "dialogs/About.h"
#include "dialogs/PFPropertys.h"
#include "dialogs/passwds.h"
#include "driver/OMX_API.h"
#include "forms/Application.h"
#include "app/Installation.h"
#include "profiles/StoragePaths.h"

namespace velt {

TSetParamForm* SetParamForm = nullptr;
TPFPropertysForm* PFPropertysForm = nullptr;
TPasswordsForm* PasswordsForm = nullptr;
TAboutForm* AboutForm = nullptr;
TDefaultForm* DefaultForm = nullptr;

namespace {

// Clears the window references when the windows go away with the application.
struct WindowReferences {
    WindowReferences() = default;
    WindowReferences(const WindowReferences&) = delete;
    WindowReferences& operator=(const WindowReferences&) = delete;
    ~WindowReferences() {
        SetParamForm = nullptr;
        PFPropertysForm = nullptr;
        PasswordsForm = nullptr;
        AboutForm = nullptr;
        DefaultForm = nullptr;
    }
};

} // namespace

ProfileStore MakeUserStore(IShell& shell, const MachineRegistry& machine,
                           ISettingsRegistry& registry, IFiles& files) {
    const StoreLocation where =
        ChooseStoreLocation(ExtractFileDir(shell.ExecutableName()),
                            RecordedInstallFolders(machine.defaults), shell.LocalAppDataFolder());
    return {registry, files, where.storagePath, std::string(kSettingsKeyPath),
            where.sharedStoragePath};
}

bool OtherCopyInSession(LockState state) {
    return state == LockState::Held;
}

bool OtherCopyOnMachine(LockState state) {
    return state != LockState::Free;
}

int OmvexMain(OmvexPlatform& platform) {
    // Module initialisation of the driver link: a zero parameter block and the driver's paths.
    OmxModuleInit(platform.driverOs, platform.driverFiles, platform.shell.ExecutableName());

    if (OtherCopyInSession(platform.locks.Take(kOneCopyMutexName, kOneCopyWaitMs))) {
        return 0;
    }
    const bool otherSession =
        OtherCopyOnMachine(platform.locks.Take(kMachineMutexName, kOneCopyWaitMs));

    WindowReferences references;
    Application& app = platform.application();
    app.SetTitle(kApplicationTitle);
    if (otherSession) {
        platform.eventLog.Report(OtherUserLockEntry());
        app.ShowMessage(kOtherSessionText, kApplicationTitle, kMbOk | kMbIconExclamation);
        return 0;
    }
    SetParamForm = &app.CreateForm<TSetParamForm>(
        TSetParamForm::Services{platform.shell, platform.registry, platform.machine,
                                platform.session, platform.eventLog},
        MakeUserStore(platform.shell, platform.machine, platform.registry, platform.files));
    PFPropertysForm = &app.CreateForm<TPFPropertysForm>(platform.fileBrowser);
    PasswordsForm = &app.CreateForm<TPasswordsForm>();
    // The dialogs the main window opens lie above it, whichever window the user activates.
    PFPropertysForm->SetOwnerForm(SetParamForm);
    PasswordsForm->SetOwnerForm(SetParamForm);
    AboutForm = &app.CreateForm<TAboutForm>();
    if (platform.commands) {
        platform.commands(app, SetParamForm->Commands);
    }
    app.Run();
    return 0;
}

} // namespace velt
