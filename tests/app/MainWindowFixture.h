// A main window on the test doubles: the user drives it through TestUi; the driver, the
// registry, the files and the shell are in-memory Windows.
#pragma once

#include "app/Main.h"
#include "app/OmvexUI.h"
#include "dialogs/About.h"
#include "digest/MD5_RC4.h"
#include "driver/OMX_API.h"
#include "fakes/FakeDriverFiles.h"
#include "fakes/FakeDriverOs.h"
#include "fakes/FakeEventLog.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSessionWatch.h"
#include "fakes/FakeShell.h"
#include "fakes/TestUi.h"
#include "profiles/ProfileRecord.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velt::testing {

inline constexpr const char* kExe = "C:\\Omvex\\Veltarion.exe";
inline constexpr const char* kStorage = "C:\\Omvex\\Profiles\\profiles.omx";

// The main window and its doubles, as one object: a test fixture, or one per row of a table.
class MainWindowScene {
  public:
    MainWindowScene() {
        os.service = fakes::FakeDriverOs::Service::Running;
        shell.exeName = kExe;
        files.AddDirectory("C:\\Omvex");
        OmxModuleInit(os, driverFiles, kExe);
        ui.App().SetTitle("Omvex");
    }
    ~MainWindowScene() {
        AboutForm = nullptr;
        DefaultForm = nullptr;
    }

    // Creates the main window (FormCreate) and the about box, as start-up does.
    TSetParamForm& Create() {
        const MachineRegistry machine{policy, machineDefault};
        main = &ui.App().CreateForm<TSetParamForm>(
            TSetParamForm::Services{shell, registry, machine, session, eventLog},
            MakeUserStore(shell, machine, registry, files));
        AboutForm = &ui.App().CreateForm<TAboutForm>();
        return *main;
    }
    // Creates and shows it (FormShow loads the list).
    TSetParamForm& Start() {
        Create();
        // As the message loop runs it: an error goes to the application's error handler.
        ui.App().RunEvent([this] { main->Show(); });
        return *main;
    }

    void PutProfiles(const std::vector<TProfileObj>& profiles) {
        std::vector<std::uint8_t> bytes;
        for (const auto& p : profiles) {
            const auto record = EncodeRecord(p);
            bytes.insert(bytes.end(), record.begin(), record.end());
        }
        files.AddDirectory("C:\\Omvex\\Profiles");
        files.PutFile(kStorage, bytes);
    }
    static TProfileObj Profile(std::string name, std::string paths,
                               std::optional<std::string> password = std::nullopt) {
        TProfileObj p;
        p.ProfileName = name;
        p.PathList = paths;
        if (password) {
            p.CheckFlag = 1;
            p.CheckByte = PasswordCheckByte(*password);
        }
        return p;
    }

    std::optional<std::int32_t> StoredIndex() {
        auto key = registry.OpenKey("Software\\Veltarion", false);
        if (!key) {
            return std::nullopt;
        }
        const auto value = key->ReadValue("CurrentProfile", 4);
        const auto v = value ? DwordOf(*value) : std::nullopt;
        return v ? std::optional(static_cast<std::int32_t>(*v)) : std::nullopt;
    }
    std::size_t StoredProfiles() {
        auto bytes = files.Contents(kStorage);
        return bytes ? bytes->size() / 512 : 0;
    }
    // The device requests after the connection's two (drive mask, zero block).
    std::vector<std::uint32_t> LaterRequests() const {
        auto codes = os.RequestCodes();
        return {codes.begin() + std::min<std::size_t>(2, codes.size()), codes.end()};
    }
    const TrayIconData& LastTray() const { return ui.TrayCalls().back().data; }
    std::string TrayTip() const { return LastTray().szTip; }
    std::string TrayIconName() const { return ui.IconName(LastTray().hIcon); }

    // Types a password into both edits (the second only while it is shown).
    void TypePasswords(const std::string& first, const std::string& second) {
        ui.Type(main->PassEdit1, first);
        if (main->PassEdit2.Visible()) {
            ui.Type(main->PassEdit2, second);
        }
    }

    fakes::FakeDriverOs os;
    fakes::FakeDriverFiles driverFiles;
    FakeShell shell;
    FakeRegistry registry;
    FakeRegistry policy;         // HKEY_LOCAL_MACHINE: the machine policy
    FakeRegistry machineDefault; // HKEY_LOCAL_MACHINE: the machine defaults
    FakeFiles files;
    FakeSessionWatch session;
    FakeEventLog eventLog;
    TestUi ui;
    TSetParamForm* main = nullptr;
};

class MainWindowTest : public ::testing::Test, public MainWindowScene {};

} // namespace velt::testing
