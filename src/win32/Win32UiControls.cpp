// The controls of a form as child windows: creation, placement, pushing the model's state.
#include "win32/Win32Ui.h"

#include "digest/SecureWipe.h"
#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/ItemsControl.h"
#include "forms/StaticControls.h"
#include "platform/Error.h"
#include "win32/Win32AnsiText.h"
#include "win32/Win32DisabledPicture.h"

#include <commctrl.h>

#include <cstddef>
#include <string>

namespace velt {

namespace {

// Height of the list that a drop-down list opens, below its closed field.
constexpr int kDropDownHeight = 160;
constexpr int kDefaultFontHeight = 11; // 8 points at 96 DPI
// The size of the icon a picture control shows, centred in its area.
constexpr int kPictureIcon = 32;

struct Shape {
    const char* cls;
    DWORD style;
    DWORD exStyle;
};

Shape ShapeOf(const Control& control) {
    switch (control.Kind()) {
    case ControlKind::Label:
        return {"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case ControlKind::Edit:
        return {"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Button:
        return {"BUTTON",
                static_cast<DWORD>(static_cast<const Button&>(control).Default() ? BS_DEFPUSHBUTTON
                                                                                 : BS_PUSHBUTTON) |
                    BS_NOTIFY | WS_TABSTOP,
                0};
    case ControlKind::ToolButton: {
        const auto& button = static_cast<const Button&>(control);
        const bool pictureOnly = button.Caption().empty() && !button.PictureName().empty();
        return {"BUTTON",
                static_cast<DWORD>(BS_PUSHBUTTON | BS_FLAT | (pictureOnly ? BS_BITMAP : 0)), 0};
    }
    case ControlKind::CheckBox:
        return {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::ComboBox:
        return {"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::ListBox:
        return {"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case ControlKind::Picture:
        return {"STATIC", SS_ICON | SS_CENTERIMAGE | SS_NOTIFY, 0};
    case ControlKind::Panel:
        // A raised inner and a lowered outer bevel: the etched edge.
        return {"STATIC", SS_ETCHEDFRAME, 0};
    case ControlKind::GroupBox:
        return {"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::Bevel:
        return {"STATIC",
                static_cast<const Bevel&>(control).GetShape() == Bevel::Shape::HorizontalLine
                    ? static_cast<DWORD>(SS_ETCHEDHORZ)
                    : static_cast<DWORD>(SS_ETCHEDFRAME),
                0};
    }
    return {"STATIC", 0, 0};
}

// A picture button's or a picture's window text is what a screen reader announces: its tool tip
// (the picture alone is drawn: BS_BITMAP buttons draw no text, nor do icon statics).
std::string AccessibleName(const Control& control) {
    if (control.Kind() == ControlKind::ToolButton &&
        !static_cast<const Button&>(control).Caption().empty()) {
        return static_cast<const Button&>(control).Caption();
    }
    return control.Hint();
}

std::string TextOf(const Control& control) {
    switch (control.Kind()) {
    case ControlKind::Label:
        return static_cast<const Label&>(control).Caption();
    case ControlKind::Edit:
        return static_cast<const Edit&>(control).Text();
    case ControlKind::Button:
        return static_cast<const Button&>(control).Caption();
    case ControlKind::ToolButton:
    case ControlKind::Picture:
        return AccessibleName(control);
    case ControlKind::CheckBox:
        return static_cast<const CheckBox&>(control).Caption();
    case ControlKind::GroupBox:
        return static_cast<const GroupBox&>(control).Caption();
    default:
        return {};
    }
}

// Whether the control or a container it lies in, however deep, passes the test.
template <class Test> bool ThisOrAContainer(const Control& control, Test test) {
    for (const Control* c = &control; c != nullptr; c = c->Parent()) {
        if (test(*c)) {
            return true;
        }
    }
    return false;
}

bool EffectivelyEnabled(const Control& control) {
    return !ThisOrAContainer(control, [](const Control& c) { return !c.Enabled(); });
}

bool EffectivelyVisible(const Control& control) {
    return !ThisOrAContainer(control, [](const Control& c) { return !c.Visible(); });
}

bool Inside(const Control& control, const Control& container) {
    return &control != &container &&
           ThisOrAContainer(control, [&](const Control& c) { return &c == &container; });
}

// Whether a mouse message's point lies on the window.
bool OnWindow(HWND window, LPARAM lParam) {
    RECT rect;
    GetClientRect(window, &rect);
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return PtInRect(&rect, at) != FALSE;
}

// Tool buttons click like buttons but never take the keyboard focus: the mouse is tracked here
// instead of by the button's own handling, which would focus it.
LRESULT CALLBACK ToolButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (IsWindowEnabled(window)) {
            SetCapture(window);
            SendMessageA(window, BM_SETSTATE, TRUE, 0);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == window) {
            SendMessageA(window, BM_SETSTATE, OnWindow(window, lParam), 0);
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == window) {
            ReleaseCapture();
            SendMessageA(window, BM_SETSTATE, FALSE, 0);
            if (OnWindow(window, lParam)) {
                SendMessageA(GetParent(window), WM_COMMAND,
                             MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
                             reinterpret_cast<LPARAM>(window));
            }
        }
        return 0;
    case BM_CLICK:
        SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
                     reinterpret_cast<LPARAM>(window));
        return 0;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, &ToolButtonProc, 0);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// A closed drop-down list is as high as its font makes it, which need not be the scaled layout's
// height: its selection field is made to fit, corrected by what the list then measures (Wine's
// list reads back a field two pixels higher than the one it was given).
void FitDropDownField(HWND window, int height) {
    auto field =
        static_cast<int>(SendMessageA(window, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3 && field > 0; ++attempt) {
        RECT closed{};
        GetWindowRect(window, &closed);
        const int change = height - (closed.bottom - closed.top);
        if (change == 0 || field + change <= 0) {
            break;
        }
        field += change;
        SendMessageA(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

} // namespace

HFONT Win32Ui::FontFor(int height, bool bold, int dpi) {
    return gdi_.Font(ScaleToDpi(height == 0 ? kDefaultFontHeight : height, dpi), bold);
}

void Win32Ui::CreateControl(Form& form, HWND parent, Control& control) {
    const Shape shape = ShapeOf(control);
    std::string text = TextOf(control);
    // Made in its place, shown or hidden and enabled or not as the model says: nothing to move
    // or change once it exists, which would cost the window system a round trip each.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | shape.style;
    if (EffectivelyVisible(control)) {
        style |= WS_VISIBLE;
    }
    if (!EffectivelyEnabled(control)) {
        style |= WS_DISABLED;
    }
    const Placement place = PlacementOf(control);
    const int width = (place.flags & SWP_NOSIZE) != 0 ? 0 : place.bounds.width;
    auto* id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id()));
    HWND window = nullptr;
    if (control.Kind() == ControlKind::Edit) {
        // A Unicode edit: an ANSI one would keep what the user types in the code page, and a
        // character it lacks would be lost before the program could tell.
        std::wstring wide = ToWide(text);
        window =
            CreateWindowExW(shape.exStyle, L"EDIT", wide.c_str(), style, place.bounds.left,
                            place.bounds.top, width, place.height, parent, id, instance_, nullptr);
        SecureWipe(wide.data(), wide.capacity() * sizeof(wchar_t));
        SecureWipe(text);
    } else {
        window =
            CreateWindowExA(shape.exStyle, shape.cls, text.c_str(), style, place.bounds.left,
                            place.bounds.top, width, place.height, parent, id, instance_, nullptr);
    }
    if (window == nullptr) {
        throw Error("Cannot create a control of window " + form.Caption());
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&control));
    control.SetNativeHandle(reinterpret_cast<std::uintptr_t>(window));
    if (control.Kind() != ControlKind::Label) { // a label takes its own font (PushStyle)
        SendMessageA(window, WM_SETFONT,
                     reinterpret_cast<WPARAM>(FontFor(form.FontHeight(), false, DpiOf(form))),
                     FALSE);
    }
    if (control.Kind() == ControlKind::ComboBox) {
        FitDropDownField(window, place.bounds.height); // the font sets the field's height
    } else if (control.Kind() == ControlKind::Bevel) {
        PlaceControl(control); // an etched line made in place takes a width of its own
    }
    if (control.Kind() == ControlKind::ToolButton) {
        SetWindowSubclass(window, &ToolButtonProc, 0, 0);
        PaintDisabledPictureThemed(window);
    }
    PushStyle(control);
    if (control.Kind() == ControlKind::ComboBox || control.Kind() == ControlKind::ListBox) {
        const auto& list = static_cast<const ItemsControl&>(control);
        if (!list.Items().empty() || list.ItemIndex() != -1) { // a new list is empty already
            PushItems(control);
        }
    }
    if (control.Kind() == ControlKind::CheckBox) {
        PushControl(control, ControlChange::Checked);
    }
    tips_.Update(control, DpiOf(control.Owner()));
}

Win32Ui::Placement Win32Ui::PlacementOf(const Control& control) const {
    const int dpi = DpiOf(control.Owner());
    Placement place{ScaleToDpi(control.BoundsInForm(), dpi), 0, SWP_NOZORDER | SWP_NOACTIVATE};
    place.height = place.bounds.height;
    if (control.Kind() == ControlKind::ComboBox) {
        place.height += ScaleToDpi(kDropDownHeight, dpi);
    } else if (control.Kind() == ControlKind::Bevel &&
               static_cast<const Bevel&>(control).GetShape() == Bevel::Shape::HorizontalLine) {
        place.height = 2; // the etched line's own thickness
    }
    if (control.Kind() == ControlKind::Label && static_cast<const Label&>(control).AutoSize()) {
        place.flags |= SWP_NOSIZE; // sized by its text
    }
    return place;
}

void Win32Ui::PlaceControl(Control& control) {
    const Placement place = PlacementOf(control);
    HWND window = WindowOf(control);
    SetWindowPos(window, nullptr, place.bounds.left, place.bounds.top, place.bounds.width,
                 place.height, place.flags);
    if (control.Kind() == ControlKind::ComboBox) {
        FitDropDownField(window, place.bounds.height);
    }
}

void Win32Ui::ControlGone(Control& control) {
    HWND window = WindowOf(control);
    if (window == nullptr) {
        return;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    tips_.Remove(control);
    DestroyWindow(window);
    pictures_.Forget(window);
    control.SetNativeHandle(0);
}

void Win32Ui::ControlChanged(Control& control, ControlChange what) {
    if (WindowOf(control) == nullptr) {
        return;
    }
    const Pushing pushing(pushing_);
    PushControl(control, what);
}

void Win32Ui::PushEffectiveState(Control& control) {
    HWND window = WindowOf(control);
    EnableWindow(window, EffectivelyEnabled(control));
    ShowWindow(window, EffectivelyVisible(control) ? SW_SHOWNA : SW_HIDE);
    pictures_.Show(window);
}

void Win32Ui::PushItems(Control& control) {
    HWND window = WindowOf(control);
    const auto& list = static_cast<const ItemsControl&>(control);
    const bool combo = control.Kind() == ControlKind::ComboBox;
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    for (const std::string& item : list.Items()) {
        SendMessageA(window, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageA(window, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()),
                 0);
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
}

void Win32Ui::PushStyle(Control& control) {
    HWND window = WindowOf(control);
    switch (control.Kind()) {
    case ControlKind::Edit: {
        const auto& edit = static_cast<const Edit&>(control);
        SendMessageA(window, EM_LIMITTEXT, edit.MaxLength() == 0 ? 0x7FFFFFFE : edit.MaxLength(),
                     0);
        const WPARAM mask = edit.Password() ? '*' : 0;
        if (static_cast<WPARAM>(SendMessageA(window, EM_GETPASSWORDCHAR, 0, 0)) != mask) {
            SendMessageA(window, EM_SETPASSWORDCHAR, mask, 0);
            InvalidateRect(window, nullptr, TRUE);
        }
        // Drawn by the common controls 6 (the manifest's); an edit without them answers FALSE
        // and shows none (a password edit without a tip of its own has the rule as its tip).
        if (!edit.Cue().empty()) {
            const std::wstring cue = ToWide(edit.Cue());
            SendMessageW(window, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
        }
        break;
    }
    case ControlKind::Button:
    case ControlKind::ToolButton: {
        const auto& button = static_cast<const Button&>(control);
        const auto type = static_cast<DWORD>(button.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        if (control.Kind() == ControlKind::Button &&
            (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & BS_TYPEMASK) != type) {
            SendMessageA(window, BM_SETSTYLE, type, TRUE);
        }
        pictures_.Assign(window, button.PictureName(), DpiOf(control.Owner()));
        if (!button.PictureName().empty()) {
            PaintDisabledPictureThemed(window);
        }
        pictures_.Show(window);
        break;
    }
    case ControlKind::Label: {
        const auto& label = static_cast<const Label&>(control);
        const int dpi = DpiOf(control.Owner());
        // A label without a height of its own has the form's.
        const int height = label.FontHeight();
        HFONT font =
            FontFor(height != 0 ? height : control.Owner().FontHeight(), label.Bold(), dpi);
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (label.AutoSize()) {
            HDC dc = GetDC(window);
            HGDIOBJ old = SelectObject(dc, font);
            SIZE size{};
            GetTextExtentPoint32A(dc, label.Caption().c_str(),
                                  static_cast<int>(label.Caption().size()), &size);
            SelectObject(dc, old);
            ReleaseDC(window, dc);
            // The text extent leaves out the overhang of the last glyph, which the static
            // control would then clip: a little room on the right keeps the text whole.
            constexpr int kOverhang = 3;
            SetWindowPos(window, nullptr, 0, 0, size.cx + ScaleToDpi(kOverhang, dpi), size.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    }
    case ControlKind::ListBox:
        SendMessageA(
            window, LB_SETITEMHEIGHT, 0,
            ScaleToDpi(static_cast<const ListBox&>(control).ItemHeight(), DpiOf(control.Owner())));
        break;
    case ControlKind::Picture: {
        const auto& picture = static_cast<const Picture&>(control);
        HICON icon =
            picture.IconName().empty()
                ? nullptr
                : IconAt(picture.IconName(), ScaleToDpi(kPictureIcon, DpiOf(control.Owner())));
        SendMessageA(window, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        break;
    }
    default:
        break;
    }
}

void Win32Ui::PushControl(Control& control, ControlChange what) {
    HWND window = WindowOf(control);
    switch (what) {
    case ControlChange::Text: {
        std::string text = TextOf(control);
        SetWindowTextA(window, text.c_str());
        if (control.Kind() == ControlKind::Edit && static_cast<Edit&>(control).Password()) {
            SecureWipe(text);
        }
        if (control.Kind() == ControlKind::Label) {
            PushStyle(control); // a label sized by its text follows it
        }
        break;
    }
    case ControlChange::Enabled:
    case ControlChange::Visible:
        PushEffectiveState(control);
        if (control.IsContainer()) {
            for (Control* other : control.Owner().Controls()) {
                if (Inside(*other, control) && WindowOf(*other) != nullptr) {
                    PushEffectiveState(*other);
                }
            }
        }
        break;
    case ControlChange::Hint:
        tips_.Update(control, DpiOf(control.Owner()));
        // (A picture's name is given when it is made: a later text could be read as an icon.)
        if (control.Kind() == ControlKind::ToolButton) {
            SetWindowTextA(window, AccessibleName(control).c_str());
        }
        break;
    case ControlChange::Bounds:
        PlaceControl(control);
        break;
    case ControlChange::Items:
        PushItems(control);
        break;
    case ControlChange::ItemIndex:
        SendMessageA(window, control.Kind() == ControlKind::ComboBox ? CB_SETCURSEL : LB_SETCURSEL,
                     static_cast<WPARAM>(static_cast<const ItemsControl&>(control).ItemIndex()), 0);
        break;
    case ControlChange::Checked:
        SendMessageA(window, BM_SETCHECK,
                     static_cast<const CheckBox&>(control).Checked() ? BST_CHECKED : BST_UNCHECKED,
                     0);
        break;
    case ControlChange::Style:
        PushStyle(control);
        break;
    case ControlChange::Selection:
        SendMessageA(window, EM_SETSEL, 0, -1);
        break;
    }
}

} // namespace velt
