#pragma once
// Threads that work for the page in the background.

#include <memory>
#include <thread>

namespace orlenth::text {

// Lowers the calling thread's scheduling priority, so that background work yields the
// processor to the thread that draws and answers the user whenever both want it. Does
// nothing where the system has no per-thread priority.
void yieldToForeground();

// Lets go of `thing` on a background thread: freeing a text of hundreds of megabytes takes
// longer than a frame. Things are let go of in the order given, at once; whatever is still
// waiting when the program ends is let go of before it exits. Any thread.
void releaseInBackground(std::shared_ptr<const void> thing);

// Joins `thread` on that same background thread, then lets go of `keep` there: for a worker
// that was told to stop and will end soon, which the caller must not wait for. In order with
// releaseInBackground's things; at exit the program waits for the thread to end, so it must
// see its stop within a moment. Any thread.
void joinInBackground(std::thread thread, std::shared_ptr<const void> keep = {});

} // namespace orlenth::text
