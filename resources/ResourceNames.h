// The names of the icons and button pictures compiled into Veltarion.exe: one list, read both by
// the resource script (Veltarion.rc, which makes a resource of each row from art/<name>.ico or
// art/<name>.bmp) and by the code (velt::res::k... constants).
#pragma once

// Icons: 16, 20, 24, 32, 40, 48 and 64 pixel true-colour images; the main icon also carries
// 16-colour and 256-colour images of 16 and 32 pixels.
//   constant       resource name
#define VELT_ICON_NAMES(X)                                                                         \
    X(kMainIcon, MAINICON)    /* a hand holding a tray, padlock and key */                         \
    X(kIconWork, WORK)        /* open padlock: protection is on */                                 \
    X(kIconNotWork, NOT_WORK) /* closed padlock: ready for a job */

// Button pictures (bitmaps, background 192,192,192), each drawn at its size and at twice its size
// (resource <name>_2X) for larger scales.
#define VELT_PICTURE_NAMES(X)                                                                      \
    X(kBmpCreateProfile, BMP_CREATEPROFILE)                                                        \
    X(kBmpEditProfile, BMP_EDITPROFILE)                                                            \
    X(kBmpDeleteProfile, BMP_DELETEPROFILE)                                                        \
    X(kBmpActivate, BMP_ACTIVATE)                                                                  \
    X(kBmpCancel, BMP_CANCEL)                                                                      \
    X(kBmpWizard, BMP_WIZARD)                                                                      \
    X(kBmpPick, BMP_PICK)                                                                          \
    X(kBmpAdd, BMP_ADD)                                                                            \
    X(kBmpDeleteItem, BMP_DELETEITEM)                                                              \
    X(kBmpReplace, BMP_REPLACE)                                                                    \
    X(kBmpUp, BMP_UP)                                                                              \
    X(kBmpDown, BMP_DOWN)

// The name of the twice-sized image of a button picture.
#define VELT_PICTURE_2X_SUFFIX "_2X"

#ifndef RC_INVOKED
namespace velt::res {
#define VELT_RESOURCE_NAME(constant, name) inline constexpr const char* constant = #name;
VELT_ICON_NAMES(VELT_RESOURCE_NAME)
VELT_PICTURE_NAMES(VELT_RESOURCE_NAME)
#undef VELT_RESOURCE_NAME
inline constexpr const char* kPicture2xSuffix = VELT_PICTURE_2X_SUFFIX;
} // namespace velt::res
#endif
