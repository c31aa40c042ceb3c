#include "win32/Win32DisabledPicture.h"

#include "win32/Win32Pictures.h"

#include <commctrl.h>

namespace velt {

namespace {

// A disabled picture button drawn by hand: its face and its picture, centred; a push button
// with a caption gets its frame too, and its picture and caption side by side as the system
// places them, the caption in the grey text colour.
void PaintDisabledPicture(HWND button) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(button, &paint);
    RECT rect;
    GetClientRect(button, &rect);
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    auto* picture = reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (picture == nullptr || GetObjectA(picture, sizeof info, &info) == 0) {
        info = BITMAP{};
    }
    char caption[64];
    const auto style = static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE));
    const int length =
        (style & BS_BITMAP) != 0 ? 0 : GetWindowTextA(button, caption, sizeof caption);
    RECT text{};
    HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(button, WM_GETFONT, 0, 0)));
    if (length > 0) {
        if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            FrameRect(dc, &rect, GetSysColorBrush(COLOR_WINDOWFRAME));
            rect = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
        }
        DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT | BF_SOFT); // a push button's raised frame
        DrawTextA(dc, caption, length, &text, DT_CALCRECT | DT_SINGLELINE);
    }
    const int left = (rect.left + rect.right - info.bmWidth - text.right) / 2;
    if (info.bmWidth > 0) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, picture);
        BitBlt(dc, left, (rect.top + rect.bottom - info.bmHeight) / 2, info.bmWidth, info.bmHeight,
               source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    if (length > 0) {
        const int top = (rect.top + rect.bottom - text.bottom) / 2;
        text = {left + info.bmWidth, top, left + info.bmWidth + text.right, top + text.bottom};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, caption, length, &text, DT_SINGLELINE);
    }
    SelectObject(dc, oldFont);
    EndPaint(button, &paint);
}

LRESULT CALLBACK DisabledPictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR) {
    if (message == WM_PAINT && !IsWindowEnabled(window) && CurrentPictureTheme().highContrast) {
        PaintDisabledPicture(window);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &DisabledPictureProc, 0);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

void PaintDisabledPictureThemed(HWND button) {
    SetWindowSubclass(button, &DisabledPictureProc, 0, 0);
}

} // namespace velt
