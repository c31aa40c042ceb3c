#include "app/TrayPresenter.h"

#include "ResourceNames.h"

namespace velt {

void TrayPresenter::Fill() {
    const bool on = protection_.On();
    icon_.SetTip(!on ? kTipReady : protection_.StandIn() ? kTipWorkingStandIn : kTipWorking);
    icon_.SetIcon(on ? res::kIconWork : res::kIconNotWork);
}

void TrayPresenter::Add() {
    icon_.Data.uFlags = kNifMessage | kNifIcon | kNifTip;
    icon_.Data.uCallbackMessage = kTrayCallbackMessage;
    Fill();
    icon_.Add();
}

void TrayPresenter::Show() {
    Fill();
    icon_.Modify();
}

void TrayPresenter::Remove() {
    icon_.Data.uFlags = 0;
    icon_.Delete();
}

} // namespace velt
