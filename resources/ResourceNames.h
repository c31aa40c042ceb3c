// Names of the icons and button pictures compiled into Veltarion.exe (resources/Veltarion.rc).
#pragma once

namespace velt::res {

// Icons, each with a 16 and a 32 pixel image.
inline constexpr const char* kMainIcon = "MAINICON";    // a hand holding a tray, padlock and key
inline constexpr const char* kIconWork = "WORK";        // open padlock: protection is on
inline constexpr const char* kIconNotWork = "NOT_WORK"; // closed padlock: ready for a job

// Button pictures (bitmaps, background 192,192,192).
inline constexpr const char* kBmpCreateProfile = "BMP_CREATEPROFILE";
inline constexpr const char* kBmpEditProfile = "BMP_EDITPROFILE";
inline constexpr const char* kBmpDeleteProfile = "BMP_DELETEPROFILE";
inline constexpr const char* kBmpActivate = "BMP_ACTIVATE";
inline constexpr const char* kBmpCancel = "BMP_CANCEL";
inline constexpr const char* kBmpWizard = "BMP_WIZARD";
inline constexpr const char* kBmpPick = "BMP_PICK";
inline constexpr const char* kBmpAdd = "BMP_ADD";
inline constexpr const char* kBmpDeleteItem = "BMP_DELETEITEM";
inline constexpr const char* kBmpReplace = "BMP_REPLACE";
inline constexpr const char* kBmpUp = "BMP_UP";
inline constexpr const char* kBmpDown = "BMP_DOWN";

} // namespace velt::res
