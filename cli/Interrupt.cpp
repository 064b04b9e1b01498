#include "cli/Interrupt.h"

#include <csignal>
#include <unistd.h>

namespace {

// A signal handler reaches nothing but globals; these two are lock-free atomics, which a
// handler may write.
std::atomic<std::atomic<uint8_t> *> cancelTarget{nullptr};
std::atomic<bool> interrupted{false};
static_assert(std::atomic<uint8_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

struct sigaction previousInt, previousTerm;

void onSignal(int)
{
    if (interrupted.exchange(true))
        _exit(130);
    if (std::atomic<uint8_t> *flag = cancelTarget.load())
        flag->store(1);
}

}  // namespace

Interrupt::Interrupt(std::atomic<uint8_t> &cancelFlag)
{
    interrupted = false;
    cancelTarget = &cancelFlag;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a signal must not make a transfer's read or write fail.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

Interrupt::~Interrupt()
{
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    cancelTarget = nullptr;
}

bool Interrupt::Interrupted() const { return interrupted.load(); }
