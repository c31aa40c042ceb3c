// The profile commands of the main window: create, edit and delete a profile. They change the
// list in memory only; it reaches the storage file at the window's next save.
#include "app/Main.h"
#include "app/OmvexUI.h"
#include "dialogs/InputReasons.h"
#include "dialogs/PFPropertys.h"
#include "dialogs/passwds.h"
#include "digest/MD5_RC4.h"
#include "profiles/profiles.h"

#include <memory>
#include <string>

namespace velt {

namespace {

constexpr const char* kWrongPassword = "Password is not correct !";
constexpr const char* kWrongPasswordCaption = "Password chacking";
constexpr const char* kDeleteQuestion = "Do you realy want to delete profile ";
constexpr const char* kDeleteCaption = "Deleting selected profile";

// The password labels and edits of the properties dialog follow the check box.
void EnablePasswordControls(TPFPropertysForm& dialog, bool enabled) {
    dialog.Pass1Label.SetEnabled(enabled);
    dialog.Pass1Edit.SetEnabled(enabled);
    dialog.Pass2Label.SetEnabled(enabled);
    dialog.Pass2Edit.SetEnabled(enabled);
}

ProfileAnswers AnswersOf(const TPFPropertysForm& dialog) {
    return ProfileAnswers{dialog.ProfileNameEdit.Text(), dialog.ListEdit.Text(),
                          dialog.CheckPassword.Checked(), dialog.Pass1Edit.Text()};
}

} // namespace

void TSetParamForm::CreateProfileClick() {
    TPFPropertysForm& dialog = *PFPropertysForm;
    dialog.SetCaption(TPFPropertysForm::kCreateCaption);
    dialog.ApplyButton.SetEnabled(false);
    dialog.ProfileNameEdit.SetText("");
    dialog.ListEdit.SetText("");
    dialog.Pass1Edit.SetText("");
    dialog.Pass2Edit.SetText("");
    dialog.CheckPassword.SetChecked(true);
    EnablePasswordControls(dialog, dialog.CheckPassword.Checked());
    if (dialog.ShowModal() != kMrOk)
        return;

    auto profile = std::make_unique<TProfileObj>();
    StoreProfileAnswers(*profile, AnswersOf(dialog));
    const std::string shown(profile->ProfileName.str());
    ProfileList.Append(shown, std::move(profile));
    Profiles.Add(shown);
    Profiles.SetItemIndex(Profiles.Count() - 1);
    ProfilesChange();
}

void TSetParamForm::EditProfileClick() {
    const int index = Profiles.ItemIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= ProfileList.Count())
        return;
    const auto i = static_cast<std::size_t>(index);
    // While a modal dialog is open the window may be hidden (saving the list) and shown again
    // (loading it anew, which frees every profile; the same index may then be another profile
    // or none): a reload in between drops the edit, silently.
    const std::uint64_t generation = ProfileList.Generation();
    TPFPropertysForm& dialog = *PFPropertysForm;

    if (ProfileList.Profile(i).CheckFlag != 0) {
        TPasswordsForm& prompt = *PasswordsForm;
        prompt.PassEdit1.SetText("");
        for (;;) {
            if (prompt.ShowModal() != kMrOk || ProfileList.Generation() != generation) {
                prompt.PassEdit1.SetText("");
                return;
            }
            if (PasswordCheckByte(prompt.PassEdit1.Text()) == ProfileList.Profile(i).CheckByte)
                break;
            dialog.Pass1Edit.SetText("");
            dialog.Pass2Edit.SetText("");
            App().ShowMessage(kWrongPassword, kWrongPasswordCaption, kMbOk);
            if (App().Terminated()) {
                prompt.PassEdit1.SetText("");
                return;
            }
            // Asked again with the wrong text selected: typing replaces it, Cancel ends.
            prompt.PassEdit1.SelectAll();
        }
        dialog.Pass1Edit.SetText(prompt.PassEdit1.Text());
        dialog.Pass2Edit.SetText(prompt.PassEdit1.Text());
        // The prompt's copy of the password is not needed any more.
        prompt.PassEdit1.SetText("");
    }

    const TProfileObj& shownProfile = ProfileList.Profile(i);
    const bool check = shownProfile.CheckFlag != 0;
    dialog.SetCaption(TPFPropertysForm::kEditCaption);
    dialog.ProfileNameEdit.SetText(shownProfile.ProfileName.str());
    dialog.ListEdit.SetText(shownProfile.PathList.str());
    dialog.CheckPassword.SetChecked(check);
    EnablePasswordControls(dialog, check);
    dialog.ApplyButton.SetEnabled(false);
    dialog.ApplyButton.SetHint(std::string(kReasonUnchanged));
    if (dialog.ShowModal() != kMrOk || ProfileList.Generation() != generation)
        return;

    TProfileObj* profile = &ProfileList.Profile(i);
    StoreProfileAnswers(*profile, AnswersOf(dialog));
    // Until the next load the entry shows the name as typed, even beyond what the profile keeps.
    const std::string shown = dialog.ProfileNameEdit.Text();
    ProfileList.SetText(i, shown);
    Profiles.Delete(index);
    Profiles.Insert(index, shown);
    Profiles.SetItemIndex(index);
    ProfilesChange();
    dialog.Pass1Edit.SetText("");
    dialog.Pass2Edit.SetText("");
}

void TSetParamForm::DeleteProfileClick() {
    const int index = Profiles.ItemIndex();
    if (index < 0)
        return;
    const std::string question =
        std::string(kDeleteQuestion) + "\"" + Profiles.Item(index) + "\" ?";
    // The answer is for the entry the question named: not for what a reload meanwhile put there.
    const std::uint64_t generation = ProfileList.Generation();
    if (App().ShowMessage(question, kDeleteCaption, kMbYesNoQuestion) != kIdYes ||
        ProfileList.Generation() != generation)
        return;
    ProfileList.Delete(static_cast<std::size_t>(index));
    Profiles.Delete(index);
    Profiles.SetItemIndex(Profiles.Count() - 1);
    ProfilesChange();
}

} // namespace velt
