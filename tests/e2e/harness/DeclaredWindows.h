// The program's windows as the window classes declare them (controls, layout, tab order), made on
// the test double, for end-to-end tests that hold the real windows against them. Needs velt_app
// and velt_fakes.
#pragma once

#include "app/Main.h"
#include "app/OmvexUI.h"
#include "dialogs/About.h"
#include "dialogs/FileList.h"
#include "dialogs/PFPropertys.h"
#include "dialogs/passwds.h"
#include "fakes/FakeEventLog.h"
#include "fakes/FakeFileBrowser.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSessionWatch.h"
#include "fakes/FakeShell.h"
#include "fakes/TestUi.h"
#include "profiles/DefaultProf.h"

namespace velt::e2e {

struct Declared {
    TestUi ui;
    FakeShell shell;
    FakeRegistry registry;
    FakeRegistry machine; // no policy, no machine defaults
    FakeFiles files;
    FakeFileBrowser browser;
    FakeSessionWatch session;
    FakeEventLog eventLog;
    TSetParamForm main{ui.App(),
                       {shell, registry, {machine, machine}, session, eventLog},
                       MakeUserStore(shell, {machine, machine}, registry, files)};
    TDefaultForm welcome{ui.App(), main, shell};
    TPFPropertysForm properties{ui.App(), browser};
    TFileListForm wizard{ui.App(), browser};
    TPasswordsForm prompt{ui.App()};
    TAboutForm about{ui.App()};
};

} // namespace velt::e2e
