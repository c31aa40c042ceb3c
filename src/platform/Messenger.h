// What the core needs from the application: a modal message box and a termination request.
#pragma once

#include <string_view>

namespace velt {

// Message box flags and answers, as Windows numbers them.
inline constexpr unsigned kMbOk = 0;
inline constexpr unsigned kMbIconError = 16;
inline constexpr unsigned kMbYesNoQuestion = 36;
inline constexpr unsigned kMbIconExclamation = 48;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class IMessenger {
  public:
    virtual ~IMessenger() = default;
    // Shows a modal message box and returns the button pressed (2 when the program was asked to
    // end while it was open: the answer must not be acted on).
    virtual int ShowMessage(std::string_view text, std::string_view caption, unsigned flags) = 0;
    // Asks the application to end once its message loop next runs.
    virtual void RequestTerminate() = 0;
};

} // namespace velt
