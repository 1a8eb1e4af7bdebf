#pragma once
// Threads that work for the page in the background.

namespace orlenth::text {

// Lowers the calling thread's scheduling priority, so that background work yields the
// processor to the thread that draws and answers the user whenever both want it. Does
// nothing where the system has no per-thread priority.
void yieldToForeground();

} // namespace orlenth::text
