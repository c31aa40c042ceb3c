// The notifications of a form's controls (WM_COMMAND), turned into the model's events.
#include "win32/Win32Ui.h"

#include "digest/SecureWipe.h"
#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/ItemsControl.h"
#include "forms/StaticControls.h"
#include "win32/Win32AnsiText.h"

#include <commctrl.h>

#include <string>

namespace velt {

namespace {

// The item the user chose in a list; a refused choice gives way to the model's selection again.
template <class List> void SelectByUser(Win32Ui& ui, List& list, HWND child, UINT getSelection) {
    const int index = static_cast<int>(SendMessageA(child, getSelection, 0, 0));
    list.Owner().App().RunEvent([&] {
        if (!list.UserSelect(index)) {
            ui.ControlChanged(list, ControlChange::ItemIndex);
        }
    });
}

} // namespace

void Win32Ui::HandleCommand(Form& form, HWND child, unsigned code) {
    Control* control = ControlOf(child);
    if (control == nullptr || pushing_ > 0 || &control->Owner() != &form) {
        return;
    }
    Application& app = form.App();
    switch (control->Kind()) {
    case ControlKind::Edit:
        if (code == EN_MAXTEXT) {
            // Typing or a paste went past the limit and was cut: said at the edit, or with a
            // beep where the edit has no balloon.
            const std::string limit = static_cast<Edit&>(*control).LimitText();
            if (!ShowEditBalloon(child, Edit::kLimitTitle, limit, TTI_INFO)) {
                MessageBeep(MB_OK);
            }
        } else if (code == EN_CHANGE) {
            auto& edit = static_cast<Edit&>(*control);
            std::string text;
            const bool representable = ReadAnsiText(child, text);
            app.RunEvent([&] {
                const bool wasUnrepresentable = edit.Unrepresentable();
                if (!edit.UserEdit(text, representable)) {
                    ControlChanged(edit, ControlChange::Text); // refused: show the model's text
                } else if (!representable) {
                    tips_.ShowRefusal(child);
                } else if (wasUnrepresentable) {
                    // Only the refusal's tip goes: a cut paste's balloon (EN_MAXTEXT comes
                    // before the change) stays.
                    tips_.HideRefusal(child);
                }
            });
            if (edit.Password()) {
                SecureWipe(text);
            }
        }
        break;
    case ControlKind::Button:
    case ControlKind::ToolButton:
        // BS_NOTIFY (for the focus notifications) makes a push button report the second click
        // of a double click as BN_DOUBLECLICKED: it is a click all the same.
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) {
            app.RunEvent([control] { static_cast<Button*>(control)->Click(); });
        } else if (code == BN_SETFOCUS || code == BN_KILLFOCUS) {
            MoveDefaultOutline(form, code == BN_SETFOCUS ? child : nullptr);
        }
        break;
    case ControlKind::CheckBox:
        if (code == BN_CLICKED) {
            auto* box = static_cast<CheckBox*>(control);
            const bool checked = SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
            app.RunEvent([&] {
                if (box->Usable()) {
                    box->SetChecked(checked);
                }
                ControlChanged(*box, ControlChange::Checked);
            });
        }
        break;
    case ControlKind::ComboBox:
        if (code == CBN_SELCHANGE) {
            SelectByUser(*this, static_cast<ComboBox&>(*control), child, CB_GETCURSEL);
        }
        break;
    case ControlKind::ListBox:
        if (code == LBN_SELCHANGE) {
            SelectByUser(*this, static_cast<ListBox&>(*control), child, LB_GETCURSEL);
        }
        break;
    case ControlKind::Picture:
        if (code == STN_CLICKED) {
            app.RunEvent([control] { static_cast<Picture*>(control)->Click(); });
        }
        break;
    default:
        break;
    }
}

} // namespace velt
