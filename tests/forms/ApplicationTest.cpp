// The application object: the top-level error handler and the main message loop.
#include "fakes/TestUi.h"
#include "forms/Button.h"
#include "forms/Form.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace velt {
namespace {

struct Window : Form {
    Window(Application& app, std::string caption, std::vector<std::string>& log)
        : Form(app, caption, 100, 100) {
        OnShow = [&log, caption] { log.push_back("show " + caption); };
        OnDestroy = [&log, caption] { log.push_back("destroy " + caption); };
    }
    Button button{*this, 1, {0, 0, 75, 25}, "Go"};
};

TEST(ApplicationTest, ErrorsAreShownWithTitleErrorIconAndAFullStop) {
    TestUi ui;
    Application& app = ui.App();
    app.SetTitle("Omvex");
    app.RunEvent([] { throw std::runtime_error("Cannot create file profiles.omx"); });
    app.RunEvent([] { throw std::runtime_error("Disk full."); });
    app.RunEvent([] { throw std::runtime_error(""); });
    ASSERT_EQ(ui.Boxes().size(), 3u);
    EXPECT_EQ(ui.Boxes()[0].text, "Cannot create file profiles.omx.");
    EXPECT_EQ(ui.Boxes()[0].caption, "Omvex");
    EXPECT_EQ(ui.Boxes()[0].flags, kMbIconError);
    EXPECT_EQ(ui.Boxes()[1].text, "Disk full.");
    EXPECT_EQ(ui.Boxes()[2].text, "");
}

TEST(ApplicationTest, AnErrorInAUserEventEndsTheEventNotTheProgram) {
    TestUi ui;
    std::vector<std::string> log;
    Window window{ui.App(), "W", log};
    window.button.SetModalResult(kMrOk);
    window.button.OnClick = [] { throw std::runtime_error("Write error"); };
    ui.Queue([&] { EXPECT_FALSE(ui.Click(window.button)); }); // false: the click failed
    EXPECT_EQ(window.ShowModal(), kMrCancel); // the failed click did not confirm the dialog
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, "Write error.");
}

TEST(ApplicationTest, MessageBoxesReturnTheQueuedAnswers) {
    TestUi ui;
    ui.AnswerNext(kIdYes);
    IMessenger& messenger = ui.App();
    EXPECT_EQ(messenger.ShowMessage("Sure ?", "Deactivation", kMbYesNoQuestion), kIdYes);
    EXPECT_EQ(messenger.ShowMessage("Sure ?", "Deactivation", kMbYesNoQuestion), kIdNo);
    EXPECT_EQ(messenger.ShowMessage("Done", "Info", kMbOk), kIdOk);
}

TEST(ApplicationTest, RunShowsTheMainFormAndDestroysFormsLastFirstAtTheEnd) {
    TestUi ui;
    std::vector<std::string> log;
    {
        Application& app = ui.App();
        auto& main = app.CreateForm<Window>("Main", log);
        app.CreateForm<Window>("About", log);
        EXPECT_EQ(app.MainForm(), &main);
        ui.Queue([&] { EXPECT_TRUE(main.Visible()); });
        ui.Queue([&] { app.RequestTerminate(); });
        app.Run();
    }
    EXPECT_EQ(log, (std::vector<std::string>{"show Main", "destroy About", "destroy Main"}));
}

TEST(ApplicationTest, TerminateBeforeTheLoopStillShowsTheMainFormOnce) {
    TestUi ui;
    std::vector<std::string> log;
    Application& app = ui.App();
    app.CreateForm<Window>("Main", log);
    app.RequestTerminate(); // the driver could not be reached during start-up
    ui.Queue([] { ADD_FAILURE() << "the loop ran after the terminate request"; });
    app.Run();
    EXPECT_EQ(log, (std::vector<std::string>{"show Main", "destroy Main"}));
}

TEST(ApplicationTest, ClosingTheMainFormWithFreeEndsTheProgram) {
    TestUi ui;
    std::vector<std::string> log;
    Application& app = ui.App();
    auto& main = app.CreateForm<Window>("Main", log);
    main.OnClose = [](CloseAction& action) { action = CloseAction::Free; };
    ui.CloseBox(main);
    EXPECT_TRUE(app.Terminated());
}

} // namespace
} // namespace velt
