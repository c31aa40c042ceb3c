#include "app/Protection.h"

#include "driver/OMX_API.h"
#include "driver/StandInDriver.h"

namespace velt {

void Protection::JudgeDriver() {
    standIn_ = DriverIsStandIn();
}

bool Protection::Start(const TProfileObj& profile, std::string_view password) {
    paths_ = profile.PathList.str();
    std::string upper = paths_;
    MakeUpperCase(upper);
    const bool started = DriverStart(upper, "*", password, 2);
    on_ = started;
    if (started) {
        log_.Report(ProtectionOnEntry(profile.ProfileName.str()));
    }
    // Telling the tray may let other window messages in, and a lock among them may turn
    // protection off again at once: that is no refused start.
    Changed();
    return started;
}

bool Protection::Stop(OffCause cause) {
    const bool wasOn = on_;
    const bool stopped = DriverStop();
    if (wasOn) {
        log_.Report(stopped ? ProtectionOffEntry(cause) : StopRefusedEntry());
    }
    if (wasOn && stopped) {
        on_ = false;
        Changed();
    }
    return stopped;
}

std::string Protection::StopRefusedText() const {
    return "Omvex could not stop ciphering: the driver refused. The files on the profile's paths "
           "may still be ciphered: \"" +
           paths_ + "\".";
}

void Protection::Changed() const {
    if (OnChange) {
        OnChange();
    }
}

void Protection::MakeUpperCase(std::string& s) {
    for (char& c : s) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 97 && b <= 122) || b >= 224) {
            c = static_cast<char>(b - 32);
        }
    }
}

} // namespace velt
