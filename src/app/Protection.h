// Protection as the driver was told it: turned on with a profile's paths and a password, turned
// off for a cause. The main window, the automatic deactivation and the commands all go through
// here, so that the state, the Event Log and what the user is told follow the driver's answers.
#pragma once

#include "app/ProgramEvents.h"
#include "platform/EventLog.h"
#include "profiles/profiles.h"

#include <functional>
#include <string>
#include <string_view>

namespace velt {

class Protection {
  public:
    explicit Protection(IEventLog& log) : log_(log) {}

    // Whether the driver took the last start and no stop since.
    bool On() const { return on_; }
    // Whether the connected driver is our stand-in, which ciphers nothing.
    bool StandIn() const { return standIn_; }
    // Judges the driver the connection loaded; once, after the connection.
    void JudgeDriver();

    // Hands the profile's path list, upper-cased, and the password to the driver and starts it.
    // The password goes no further than the driver's parameter block.
    bool Start(const TProfileObj& profile, std::string_view password);
    // Tells the driver to stop; when protection was on, the Event Log hears why it went off, or
    // that the driver refused. False when it refused: protection then stays on.
    bool Stop(OffCause cause);
    // What the user is told when the driver refused to stop.
    std::string StopRefusedText() const;

    // After every start and every stop that turned protection off (the tray follows).
    std::function<void()> OnChange;

    // Upper-cases in place the Latin letters a-z and the Windows-1251 Cyrillic letters
    // (224-255 become 192-223); every other byte stays.
    static void MakeUpperCase(std::string& s);

  private:
    void Changed() const;

    IEventLog& log_;
    bool on_ = false;
    bool standIn_ = false;
    // The path list last handed to the driver, for telling a refused stop.
    std::string paths_;
};

} // namespace velt
