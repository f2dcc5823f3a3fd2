#pragma once
// The engine's guards and clock counters. Blocking loops pump events, so handlers can be
// entered from inside them; these flags decide what may run then.

#include <cstdint>

namespace corvid {

struct EngineFlags {
  bool quitRequested = false;     // the next idle tick closes the window without asking
  bool startMainPending = false;  // the first idle tick in Play starts the script "main"
  bool scriptRunning = false;     // the interpreter step may run
  uint8_t busyCount = 0;          // nonzero while a blocking step of the engine's own runs
  bool effectRunning = false;     // a transition, fade, animation or scroll runs its own loop
  int32_t effectRequest = 0;      // 0 none, 1 clicked during an effect, 2 close requested
  int32_t systemDialogOpen = 0;   // purpose of the yes/no box that is up, 0 none
  bool backlogOpen = false;
  bool settingsScreenOpen = false;
  int32_t idleTickCount = 0;
  int32_t timerTickCount = 0;
  int32_t clickGuard = 0;         // idle ticks during which repeated clicks are ignored
  int32_t sleepCountdown = 0;     // idle ticks of `sleep` left; -1 until a click
  bool soundDevicePresent = false;
  int32_t skipLevel = 0;          // 0 off; skipping is on when nonzero
};

}  // namespace corvid
