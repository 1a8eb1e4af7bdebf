#include "tools/RemoveOnSignal.h"

#include <csignal>
#include <mutex>
#include <pthread.h>
#include <system_error>
#include <thread>

namespace orlenth::tool {

namespace {

std::mutex& guard() {
    static std::mutex m;
    return m;
}

std::filesystem::path& watched() {
    static std::filesystem::path dir;
    return dir;
}

sigset_t endingSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

// The folder may still be written to by the thread doing the work while it is removed:
// whatever appears meanwhile is removed on the next round.
void removeWatched() {
    std::filesystem::path& dir = watched();
    for (int round = 0; round < 100 && !dir.empty(); ++round) {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
        if (!std::filesystem::exists(std::filesystem::symlink_status(dir, ec))) break;
    }
}

[[noreturn]] void waitForSignal() {
    const sigset_t set = endingSignals();
    int sig = 0;
    while (::sigwait(&set, &sig) != 0) {
    }
    // Held to the end: the work thread waits here rather than touch the folder again.
    guard().lock();
    removeWatched();
    std::signal(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    ::pthread_kill(::pthread_self(), sig);
    // The default action of these signals ends the process; nothing returns here.
    for (;;) ::pause();
}

} // namespace

TRemoveOnSignal::TRemoveOnSignal() {
    static std::once_flag started;
    std::call_once(started, [] {
        // Threads made after this inherit the mask, so only the waiting thread takes them.
        const sigset_t set = endingSignals();
        ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
        std::thread(waitForSignal).detach();
    });
}

TRemoveOnSignal::~TRemoveOnSignal() {
    const std::lock_guard lock(guard());
    watched().clear();
}

void TRemoveOnSignal::Watch(const std::function<std::filesystem::path()>& make) {
    const std::lock_guard lock(guard());
    watched() = make();
}

void TRemoveOnSignal::Undisturbed(const std::function<void()>& step) {
    const std::lock_guard lock(guard());
    step();
}

} // namespace orlenth::tool
