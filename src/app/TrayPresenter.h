// The notification-area icon as it shows protection: the closed padlock while it is off, the open
// one while it is on, with a tip that names a stand-in driver.
#pragma once

#include "app/Protection.h"
#include "forms/TrayIcon.h"

namespace velt {

class TrayPresenter {
  public:
    static constexpr const char* kTipReady = "OMVEX: Ready for job";
    static constexpr const char* kTipWorking = "OMVEX: Ciphering file I/O operation";
    static constexpr const char* kTipWorkingStandIn =
        "OMVEX: Ciphering file I/O operation (stand-in driver: nothing is ciphered)";

    TrayPresenter(TrayIcon& icon, const Protection& protection)
        : icon_(icon), protection_(protection) {}

    // Adds the icon in the state protection is in: at the start, and again after Explorer
    // restarted.
    void Add();
    // Shows the state protection is now in.
    void Show();
    void Remove();

  private:
    void Fill();

    TrayIcon& icon_;
    const Protection& protection_;
};

} // namespace velt
