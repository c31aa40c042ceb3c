#include "forms/TrayIcon.h"

#include "forms/Form.h"
#include "forms/UiBackend.h"

#include <algorithm>
#include <cstring>

namespace velt {

TrayIcon::TrayIcon(Form& owner) : owner_(owner) {}

void TrayIcon::SetIcon(std::string_view resourceName) {
    Data.hIcon = owner_.Backend().LoadIconByName(resourceName);
}

void TrayIcon::SetTip(std::string_view tip) {
    std::memset(Data.szTip, 0, sizeof Data.szTip);
    const std::size_t length = std::min(tip.size(), sizeof Data.szTip - 1);
    std::memcpy(Data.szTip, tip.data(), length);
    constexpr std::size_t kLongestTip = 127;
    tip_.assign(tip.substr(0, kLongestTip));
}

void TrayIcon::FillWindow() {
    Data.hWnd = owner_.Created() ? owner_.Backend().WindowHandle(owner_) : 0;
}

bool TrayIcon::Send(unsigned operation) {
    FillWindow();
    return owner_.Backend().NotifyIcon(operation, Data, tip_);
}

bool TrayIcon::ShowBalloon(std::string_view title, std::string_view text) {
    FillWindow();
    return owner_.Backend().NotifyBalloon(Data, title, text);
}

bool TrayIcon::Add() {
    return Send(kNimAdd);
}
bool TrayIcon::Modify() {
    return Send(kNimModify);
}
bool TrayIcon::Delete() {
    return Send(kNimDelete);
}

} // namespace velt
