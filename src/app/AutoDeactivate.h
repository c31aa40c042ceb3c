// Protection that turns itself off when the user walks away: when the session is locked, when the
// computer goes to sleep, and after a time without keyboard or mouse input, each as the user
// chose in the tray menu's "Deactivate automatically" submenu.
//
// The choices are REG_DWORD values in the settings key, written when the user changes them and
// read whenever they are needed, so an administrator may set them too, for every user as machine
// defaults or fixed by machine policy (EffectiveSetting.h). A check value is 0 or 1, an idle
// time 0 (never) to 24 hours; without a valid value anywhere, a choice is off.
#pragma once

#include "app/EffectiveSetting.h"
#include "app/Protection.h"
#include "forms/Form.h"
#include "forms/PopupMenu.h"
#include "forms/TrayIcon.h"
#include "platform/SessionWatch.h"
#include "platform/SettingsRegistry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velt {

inline constexpr std::string_view kDeactivateOnLockValue = "DeactivateOnLock";
inline constexpr std::string_view kDeactivateOnSleepValue = "DeactivateOnSleep";
// The idle time in seconds.
inline constexpr std::string_view kDeactivateIdleValue = "DeactivateAfterIdle";
inline constexpr std::uint32_t kMaxIdleSeconds = 24U * 60U * 60U;

inline constexpr unsigned kIdleTimerId = 1;
// While lock notifications could not be asked for, they are asked for again this often.
inline constexpr unsigned kWatchRetryTimerId = 2;
inline constexpr unsigned kWatchRetryMs = 60U * 1000U;

struct AutoDeactivateSettings {
    bool onLock = false;
    bool onSleep = false;
    std::uint32_t idleSeconds = 0; // 0: never
    // Which of them a machine policy fixes.
    bool onLockFixed = false;
    bool onSleepFixed = false;
    bool idleFixed = false;
};

// The settings as they apply, the user's being stored under keyPath; never raises, whatever the
// registries hold.
AutoDeactivateSettings ReadAutoDeactivateSettings(const SettingSources& sources,
                                                  std::string_view keyPath);

enum class WalkAway { Lock, Sleep, Idle };

// The walk-away a system event is, if any (the idle timer's tick is not one by itself).
std::optional<WalkAway> WalkAwayOf(SystemEvent event);
// What the balloon tells the user after protection was turned off.
std::string WalkAwayNotice(WalkAway event, std::uint32_t idleSeconds);
// What it tells when the driver refused to stop.
inline constexpr const char* kNotTurnedOffNotice =
    "Protection could not be turned off: the driver refused to stop ciphering. Your files may "
    "still be ciphered.";
// Milliseconds left until `idleMs` without input have passed, counting from the later of the last
// input and `since` (tick counts wrap around); 0 when they have.
std::uint32_t IdleTimeLeft(std::uint32_t idleMs, std::uint32_t now, std::uint32_t lastInput,
                           std::uint32_t since);

// The cause the Event Log gives for protection turned off by a walk-away.
OffCause OffCauseOf(WalkAway event);

// The submenu and the watch, for the window that owns the tray icon; it turns `protection` off.
class AutoDeactivation {
  public:
    AutoDeactivation(PopupMenu& menu, TrayIcon& icon, SettingSources sources,
                     ISessionWatch& session, std::string_view keyPath, Protection& protection);

    MenuItem Submenu;
    MenuItem OnLockItem;
    MenuItem OnSleepItem;
    MenuItem Line;
    MenuItem Idle5Item;
    MenuItem Idle15Item;
    MenuItem Idle60Item;
    MenuItem IdleNeverItem;

    // Asks for the session's lock notifications; Stop ends them and the timers.
    void Start();
    void Stop();
    // Whether lock notifications are in force. Asking for them fails right after log-on, before
    // the session service is ready, and on systems where it is off.
    bool WatchingLock() const { return watching_; }
    // Protection was turned on or off (or on again with other parameters).
    void ProtectionChanged();
    // Keeps the lock watch registered, then shows the choices in the menu: at the start, when a
    // choice changes, at each retry of the watch and before the menu opens.
    void Refresh();
    // The owner's timers and system events.
    void TimerDue(unsigned id);
    void SystemEventRaised(SystemEvent event);

  private:
    AutoDeactivateSettings Settings();
    // Asks again for lock notifications not in force; while they are not and the lock is
    // chosen, a timer tries again each minute.
    void KeepLockWatched(bool lockChosen);
    // Puts the choices into the check marks (a choice fixed by policy cannot be changed); the
    // lock item says whether lock notifications are in force.
    void ShowSettings(const AutoDeactivateSettings& settings);
    void Write(std::string_view name, std::uint32_t value);
    void ChooseIdle(std::uint32_t seconds);
    // Starts the idle timer for the time left, stops it, or turns protection off when it is up.
    void CheckIdle();
    // False when protection was on and stays on: the driver refused to stop.
    bool TurnOff(WalkAway event, std::uint32_t idleSeconds);

    Form& owner_;
    TrayIcon& icon_;
    SettingSources sources_;
    ISessionWatch& session_;
    std::string keyPath_;
    Protection& protection_;
    std::uint32_t activeSince_ = 0;
    bool timerRunning_ = false;
    bool watching_ = false;
    bool retryRunning_ = false;
};

} // namespace velt
