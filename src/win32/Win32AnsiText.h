// The program keeps its texts in the system's ANSI code page; the windows hold UTF-16. These
// turn one into the other and tell when the code page cannot hold a text, which is then refused
// where it was entered instead of being kept as question marks.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace velt {

// UTF-16 to the ANSI code page. False when a character has no exact counterpart there (no
// best-fit look-alike counts: "e" for an accented letter the page lacks is refused as well);
// ansi then holds the conversion with default characters in their place.
bool ToAnsi(std::wstring_view wide, std::string& ansi);
std::wstring ToWide(std::string_view ansi);
// A window's text read as UTF-16 and converted with ToAnsi (the wide copy is wiped afterwards,
// as the text may be a password).
bool ReadAnsiText(HWND window, std::string& ansi);

// Tells the user, at an edit, that its text holds characters the code page cannot store: the
// edit's balloon tip, or a balloon tool tip where the edit has none (Windows XP without the
// newer common controls): tip holds that tool tip (owned by the edit's form) while it shows.
// Hide takes either away again.
void ShowUnrepresentableTip(HWND edit, HWND& tip);
void HideUnrepresentableTip(HWND edit, HWND& tip);

} // namespace velt
