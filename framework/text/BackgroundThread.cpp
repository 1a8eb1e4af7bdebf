#include "framework/text/BackgroundThread.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace orlenth::text {

void yieldToForeground() {
#if defined(__linux__)
    // On Linux a thread is a task with a nice value of its own. A gentle step: the
    // workers must still get on when the user waits for them (a jump far down the text).
    constexpr int kNice = 5;
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    const int current = ::getpriority(PRIO_PROCESS, tid);
    if (current < kNice) ::setpriority(PRIO_PROCESS, tid, kNice);
#endif
}

} // namespace orlenth::text
