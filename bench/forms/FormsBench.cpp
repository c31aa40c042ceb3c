// What a hidden dialog costs at start-up in the Win32 binding: creating the form object (its
// window is made when first needed) against creating it and making its window at once, and the
// first showing that then makes it. Side by side in one run, alternated, medians.
#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/StaticControls.h"
#include "win32/Win32Ui.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace velt;

// The size of the profile properties dialog: a panel, 14 controls, two tool tips.
struct Dialog : Form {
    explicit Dialog(Application& app) : Form(app, "Bench dialog", 286, 248) {
        pass1.SetPassword(true);
        pass2.SetPassword(true);
        wizard.SetHint("Files and Folders Wizard ...");
        list.SetHint("Files and folders to protect");
    }
    Panel panel{*this, 1, {4, 4, 277, 205}};
    Label label1{panel, 2, {8, 16, 0, 0}, "Profile name"};
    Edit name{panel, 3, {72, 12, 197, 21}};
    Label label2{panel, 4, {8, 52, 0, 0}, "Files and folders to protect"};
    Edit list{panel, 5, {8, 72, 225, 21}};
    Bevel bevel1{panel, 6, {8, 44, 261, 0}, Bevel::Shape::HorizontalLine};
    CheckBox check{panel, 7, {8, 116, 229, 17}, "Check password before using profile"};
    Label pass1Label{panel, 8, {16, 148, 0, 0}, "Enter password"};
    Edit pass1{panel, 9, {108, 144, 157, 21}};
    Bevel bevel2{panel, 10, {8, 104, 261, 0}, Bevel::Shape::HorizontalLine};
    Button apply{*this, 11, {36, 216, 90, 26}, "Apply"};
    Button cancel{*this, 12, {161, 216, 90, 26}, "Cancel"};
    Button wizard{panel, 13, {237, 72, 32, 22}, "", Button::Style::Tool};
    Label pass2Label{panel, 14, {16, 176, 0, 0}, "Reenter password"};
    Edit pass2{panel, 15, {108, 172, 157, 21}};
};

double Now() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 30;
    Win32Ui ui(GetModuleHandleA(nullptr));
    Application app(ui);
    std::vector<double> deferred;
    std::vector<double> eager;
    std::vector<double> firstShow;
    for (int round = 0; round < rounds; ++round) {
        {
            const double start = Now();
            auto dialog = std::make_unique<Dialog>(app);
            dialog->Create();
            deferred.push_back(Now() - start);
            const double shown = Now();
            dialog->Show();
            dialog->Hide();
            firstShow.push_back(Now() - shown);
        }
        {
            const double start = Now();
            auto dialog = std::make_unique<Dialog>(app);
            dialog->Create();
            ui.WindowNeeded(*dialog);
            eager.push_back(Now() - start);
        }
        app.ProcessMessages();
    }
    std::printf("rounds: %d, medians per dialog of 15 controls\n", rounds);
    std::printf("created, window made when first needed   %8.3f ms\n", Median(deferred));
    std::printf("created with its window made at once     %8.3f ms\n", Median(eager));
    std::printf("first show and hide (makes the window)   %8.3f ms\n", Median(firstShow));
    std::printf("start-up cost of a hidden dialog: %.3f of %.3f ms (%.1f%%)\n", Median(deferred),
                Median(eager), 100.0 * Median(deferred) / Median(eager));
    return 0;
}
