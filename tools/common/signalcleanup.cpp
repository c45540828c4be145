#include "tools/common/signalcleanup.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

// The handler may only read fixed storage and call async-signal-safe functions.
constexpr size_t kSlots = 8;
constexpr size_t kPathCapacity = 4096;
std::array<std::array<char, kPathCapacity>, kSlots> registeredPaths{};
std::array<volatile sig_atomic_t, kSlots> slotUsed{};

extern "C" void removeFilesAndEnd(int signalNumber) {
    for (size_t slot = 0; slot < kSlots; ++slot) {
        if (slotUsed[slot]) {
            unlink(registeredPaths[slot].data());
        }
    }
    // The handler was reset on entry: the signal, raised again, ends the process as it would
    // have (a fault recurs when the handler returns).
    raise(signalNumber);
}

// Every catchable signal but those whose default is to ignore, stop or continue.
bool endsProcessByDefault(int signalNumber) {
    switch (signalNumber) {
    case SIGKILL:
    case SIGSTOP:
    case SIGCHLD:
    case SIGCONT:
    case SIGTSTP:
    case SIGTTIN:
    case SIGTTOU:
    case SIGURG:
    case SIGWINCH:
        return false;
    default:
        return true;
    }
}

void installHandlers() {
    struct sigaction handler {};
    handler.sa_handler = removeFilesAndEnd;
    handler.sa_flags = SA_RESETHAND;
    sigfillset(&handler.sa_mask);
    for (int signalNumber = 1; signalNumber <= SIGRTMAX; ++signalNumber) {
        struct sigaction current {};
        // Numbers the C library reserves fail here; a handler already there (a sanitizer's,
        // or SIG_IGN from nohup) stays.
        if (endsProcessByDefault(signalNumber) && sigaction(signalNumber, nullptr, &current) == 0 &&
            current.sa_handler == SIG_DFL) {
            sigaction(signalNumber, &handler, nullptr);
        }
    }
}

int registerPath(const std::string& path) {
    if (path.size() >= kPathCapacity) {
        return -1;
    }
    for (size_t slot = 0; slot < kSlots; ++slot) {
        if (!slotUsed[slot]) {
            std::memcpy(registeredPaths[slot].data(), path.c_str(), path.size() + 1);
            slotUsed[slot] = 1;
            return static_cast<int>(slot);
        }
    }
    return -1;
}

} // namespace

RemovableFile createFileRemovedOnSignal(std::string& pattern) {
    static const bool installed = (installHandlers(), true);
    (void)installed;
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    RemovableFile file{mkostemp(pattern.data(), O_CLOEXEC), -1};
    const int error = errno;
    if (file.descriptor >= 0) {
        file.slot = registerPath(pattern);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return file;
}

void forgetFileOnSignal(int slot) {
    if (slot >= 0) {
        slotUsed[static_cast<size_t>(slot)] = 0;
    }
}
