// The profile commands of the main window: create, edit and delete a profile.
#include "app/Main.h"

namespace velt {

void TSetParamForm::CreateProfileClick() {}

void TSetParamForm::EditProfileClick() {}

void TSetParamForm::DeleteProfileClick() {}

} // namespace velt
