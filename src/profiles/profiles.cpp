#include "profiles/profiles.h"

#include "digest/MD5_RC4.h"

namespace velt {

TProfileObj MakeDefaultProfile() {
    TProfileObj profile;
    profile.ProfileName = kDefaultProfileName;
    profile.PathList = kDefaultPathList;
    return profile;
}

void StoreProfileAnswers(TProfileObj& profile, const ProfileAnswers& answers) {
    profile.ProfileName = answers.Name;
    profile.PathList = answers.PathList;
    profile.CheckFlag = answers.CheckPassword ? 1 : 0;
    if (answers.CheckPassword) {
        profile.CheckByte = PasswordCheckByte(answers.Password);
    }
}

} // namespace velt
