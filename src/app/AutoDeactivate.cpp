#include "app/AutoDeactivate.h"

#include "forms/Application.h"
#include "forms/UiBackend.h"

#include <algorithm>
#include <utility>

namespace velt {

namespace {

constexpr std::uint32_t kMsPerSecond = 1000;
constexpr const char* kOnLockCaption = "When the computer is locked";

std::string Count(std::uint32_t n, const char* unit) {
    return std::to_string(n) + " " + unit + (n == 1 ? "" : "s");
}

} // namespace

AutoDeactivateSettings ReadAutoDeactivateSettings(const SettingSources& sources,
                                                  std::string_view keyPath) {
    const auto onLock = ReadEffectiveSetting(sources, keyPath, kDeactivateOnLockValue, 1);
    const auto onSleep = ReadEffectiveSetting(sources, keyPath, kDeactivateOnSleepValue, 1);
    const auto idle = ReadEffectiveSetting(sources, keyPath, kDeactivateIdleValue, kMaxIdleSeconds);
    return {onLock.value == 1, onSleep.value == 1, idle.value,
            onLock.fixed,      onSleep.fixed,      idle.fixed};
}

std::optional<WalkAway> WalkAwayOf(SystemEvent event) {
    if (event == SystemEvent::SessionLocked) {
        return WalkAway::Lock;
    }
    if (event == SystemEvent::Suspending) {
        return WalkAway::Sleep;
    }
    return std::nullopt;
}

OffCause OffCauseOf(WalkAway event) {
    switch (event) {
    case WalkAway::Lock:
        return OffCause::Lock;
    case WalkAway::Sleep:
        return OffCause::Sleep;
    case WalkAway::Idle:
        break;
    }
    return OffCause::Idle;
}

std::string WalkAwayNotice(WalkAway event, std::uint32_t idleSeconds) {
    switch (event) {
    case WalkAway::Lock:
        return "Protection was turned off because the computer was locked.";
    case WalkAway::Sleep:
        return "Protection was turned off because the computer went to sleep.";
    case WalkAway::Idle:
        break;
    }
    const std::string time =
        idleSeconds % 60 == 0 ? Count(idleSeconds / 60, "minute") : Count(idleSeconds, "second");
    return "Protection was turned off after " + time + " without input.";
}

std::uint32_t IdleTimeLeft(std::uint32_t idleMs, std::uint32_t now, std::uint32_t lastInput,
                           std::uint32_t since) {
    // Unsigned differences stay right across the wrap of the tick count.
    const std::uint32_t quiet = std::min(now - lastInput, now - since);
    return quiet >= idleMs ? 0 : idleMs - quiet;
}

AutoDeactivation::AutoDeactivation(PopupMenu& menu, TrayIcon& icon, SettingSources sources,
                                   ISessionWatch& session, std::string_view keyPath,
                                   Protection& protection)
    : Submenu(menu, "Deactivate automatically"), OnLockItem(Submenu, kOnLockCaption),
      OnSleepItem(Submenu, "When the computer goes to sleep"), Line(Submenu, "-"),
      Idle5Item(Submenu, "After 5 minutes without input"),
      Idle15Item(Submenu, "After 15 minutes without input"),
      Idle60Item(Submenu, "After 60 minutes without input"), IdleNeverItem(Submenu, "Never"),
      owner_(menu.Owner()), icon_(icon), sources_(sources), session_(session), keyPath_(keyPath),
      protection_(protection) {
    // A choice fixed by policy is never written over, even when its disabled item is chosen.
    OnLockItem.OnClick = [this] {
        if (const auto s = Settings(); !s.onLockFixed) {
            Write(kDeactivateOnLockValue, s.onLock ? 0 : 1);
        }
    };
    OnSleepItem.OnClick = [this] {
        if (const auto s = Settings(); !s.onSleepFixed) {
            Write(kDeactivateOnSleepValue, s.onSleep ? 0 : 1);
        }
    };
    Idle5Item.OnClick = [this] { ChooseIdle(5 * 60); };
    Idle15Item.OnClick = [this] { ChooseIdle(15 * 60); };
    Idle60Item.OnClick = [this] { ChooseIdle(60 * 60); };
    IdleNeverItem.OnClick = [this] { ChooseIdle(0); };
    for (MenuItem* item : {&Idle5Item, &Idle15Item, &Idle60Item, &IdleNeverItem}) {
        item->RadioItem = true;
    }
}

AutoDeactivateSettings AutoDeactivation::Settings() {
    return ReadAutoDeactivateSettings(sources_, keyPath_);
}

void AutoDeactivation::Write(std::string_view name, std::uint32_t value) {
    const auto key = sources_.user.OpenKey(keyPath_, true);
    if (!key) {
        throw StoreError(SetDataFailedText(name));
    }
    key->WriteDword(name, value);
    Refresh();
}

void AutoDeactivation::ChooseIdle(std::uint32_t seconds) {
    if (Settings().idleFixed) {
        return;
    }
    Write(kDeactivateIdleValue, seconds);
    CheckIdle();
}

void AutoDeactivation::Refresh() {
    const AutoDeactivateSettings settings = Settings();
    KeepLockWatched(settings.onLock);
    ShowSettings(settings);
}

void AutoDeactivation::KeepLockWatched(bool lockChosen) {
    if (!watching_) {
        watching_ = owner_.Backend().WatchSessionLock(owner_);
    }
    // While the lock is chosen and goes unseen, another try each minute.
    const bool retry = !watching_ && lockChosen;
    IUiBackend& backend = owner_.Backend();
    if (retry && !retryRunning_) {
        backend.StartTimer(owner_, kWatchRetryTimerId, kWatchRetryMs);
    } else if (!retry && retryRunning_) {
        backend.StopTimer(owner_, kWatchRetryTimerId);
    }
    retryRunning_ = retry;
}

void AutoDeactivation::ShowSettings(const AutoDeactivateSettings& settings) {
    OnLockItem.SetCaption(std::string(kOnLockCaption) + (watching_ ? "" : " (not available)"));
    OnLockItem.Checked = settings.onLock;
    OnSleepItem.Checked = settings.onSleep;
    Idle5Item.Checked = settings.idleSeconds == 5 * 60;
    Idle15Item.Checked = settings.idleSeconds == 15 * 60;
    Idle60Item.Checked = settings.idleSeconds == 60 * 60;
    IdleNeverItem.Checked = settings.idleSeconds == 0;
    OnLockItem.Enabled = watching_ && !settings.onLockFixed;
    OnSleepItem.Enabled = !settings.onSleepFixed;
    for (MenuItem* item : {&Idle5Item, &Idle15Item, &Idle60Item, &IdleNeverItem}) {
        item->Enabled = !settings.idleFixed;
    }
}

void AutoDeactivation::Start() {
    // Without session notifications the lock goes unseen until a later try succeeds; the other
    // events still work.
    Refresh();
}

void AutoDeactivation::Stop() {
    if (std::exchange(watching_, false)) {
        owner_.Backend().UnwatchSessionLock(owner_);
    }
    if (std::exchange(retryRunning_, false)) {
        owner_.Backend().StopTimer(owner_, kWatchRetryTimerId);
    }
    if (timerRunning_) {
        owner_.Backend().StopTimer(owner_, kIdleTimerId);
        timerRunning_ = false;
    }
}

void AutoDeactivation::ProtectionChanged() {
    if (protection_.On()) {
        // Turning protection on is input of its own: the idle time counts from then at the least.
        activeSince_ = session_.TickCount();
    }
    CheckIdle();
}

void AutoDeactivation::CheckIdle() {
    IUiBackend& backend = owner_.Backend();
    const AutoDeactivateSettings settings = Settings();
    if (!protection_.On() || settings.idleSeconds == 0) {
        // No timer at all while there is nothing to watch.
        if (timerRunning_) {
            backend.StopTimer(owner_, kIdleTimerId);
            timerRunning_ = false;
        }
        return;
    }
    // The last input first: read the other way round, it could be later than "now".
    const std::uint32_t lastInput = session_.LastInputTick();
    const std::uint32_t idleMs = settings.idleSeconds * kMsPerSecond;
    std::uint32_t left = IdleTimeLeft(idleMs, session_.TickCount(), lastInput, activeSince_);
    if (left == 0) {
        if (TurnOff(WalkAway::Idle, settings.idleSeconds)) {
            return; // off: the timer was stopped with it
        }
        left = idleMs; // refused: the next try is a whole period later, not at once
    }
    // The next look is when the time would be up if no input came meanwhile.
    backend.StartTimer(owner_, kIdleTimerId, left);
    timerRunning_ = true;
}

void AutoDeactivation::TimerDue(unsigned id) {
    if (id == kIdleTimerId) {
        CheckIdle();
    } else if (id == kWatchRetryTimerId) {
        Refresh();
    }
}

void AutoDeactivation::SystemEventRaised(SystemEvent event) {
    const auto walkAway = WalkAwayOf(event);
    if (!walkAway) {
        return;
    }
    const AutoDeactivateSettings settings = Settings();
    if (*walkAway == WalkAway::Lock ? settings.onLock : settings.onSleep) {
        TurnOff(*walkAway, 0);
    }
}

bool AutoDeactivation::TurnOff(WalkAway event, std::uint32_t idleSeconds) {
    if (!protection_.On()) {
        return true;
    }
    const bool stopped = protection_.Stop(OffCauseOf(event));
    icon_.ShowBalloon(owner_.App().Title(),
                      stopped ? WalkAwayNotice(event, idleSeconds) : kNotTurnedOffNotice);
    return stopped;
}

} // namespace velt
