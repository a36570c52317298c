#pragma once
// Timed waits that keep the calling thread's window messages flowing, so a handler that waits on the
// window thread leaves the window responsive (and other handlers may run nested inside the wait).

#include "app/shared_state.h"

namespace lectavo {

// Handles every message already waiting for this thread, then returns; never waits. A quit message
// stays in the queue and ends the call.
void processEvents();

// Waits `ms` milliseconds on a waitable timer, handling messages as they arrive.
void waitPumping(unsigned ms);

// Waits `ms` milliseconds by the tick count, handling messages; gives up the processor between checks.
// Returns at once for 0 or less.
void delayPumping(int ms);

// waitPumping that also ends as soon as the manual-reset event `event` (a HANDLE) is set; the waiter that
// wakes on it resets it before looking at what changed.
void waitPumpingOrEvent(unsigned ms, void* event);

// The idle polls of the workers: at most `ms`, and over as soon as a tag, a flag or a queue changes.
inline void waitPumpingOrStateChange(unsigned ms) { waitPumpingOrEvent(ms, stateChangeEvent()); }

}  // namespace lectavo
