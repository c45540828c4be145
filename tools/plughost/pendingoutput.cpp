#include "tools/plughost/pendingoutput.h"

#include "tools/plughost/pluginhost.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plughost {
namespace {

// Temporary files to remove when a signal ends the program; the handler may only read fixed
// storage and call async-signal-safe functions.
constexpr size_t kInterruptSlots = 8;
constexpr size_t kPathCapacity = 4096;
std::array<std::array<char, kPathCapacity>, kInterruptSlots> interruptPaths{};
std::array<volatile sig_atomic_t, kInterruptSlots> interruptUsed{};

extern "C" void removeTemporariesAndExit(int signalNumber) {
    for (size_t slot = 0; slot < kInterruptSlots; ++slot) {
        if (interruptUsed[slot]) {
            unlink(interruptPaths[slot].data());
        }
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

int registerForInterrupt(const std::string& path) {
    static const bool installed = [] {
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
            signal(signalNumber, removeTemporariesAndExit);
        }
        return true;
    }();
    (void)installed;
    if (path.size() >= kPathCapacity) {
        return -1;
    }
    for (size_t slot = 0; slot < kInterruptSlots; ++slot) {
        if (!interruptUsed[slot]) {
            std::memcpy(interruptPaths[slot].data(), path.c_str(), path.size() + 1);
            interruptUsed[slot] = 1;
            return static_cast<int>(slot);
        }
    }
    return -1;
}

void unregisterForInterrupt(int slot) {
    if (slot >= 0) {
        interruptUsed[static_cast<size_t>(slot)] = 0;
    }
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a newly created file gets: read and write for all, less the user's mask.
mode_t creationMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

PendingOutput::PendingOutput(std::string destination) : destinationPath(std::move(destination)) {
    struct stat status {};
    if (stat(destinationPath.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        fail("it is a folder");
    }
    temporaryPath = folderOf(destinationPath) + "/." + nameOf(destinationPath) + ".XXXXXX";
    fd = mkstemp(temporaryPath.data());
    if (fd < 0) {
        fail(std::strerror(errno));
    }
    interruptSlot = registerForInterrupt(temporaryPath);
    if (fchmod(fd, creationMode()) != 0) {
        const int error = errno;
        discard();
        fail(std::strerror(error));
    }
}

PendingOutput::~PendingOutput() {
    discard();
}

void PendingOutput::write(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            fail(std::strerror(written < 0 ? errno : ENOSPC));
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

void PendingOutput::commit() {
    const int closed = close(fd);
    fd = -1;
    if (closed != 0) {
        fail(std::strerror(errno));
    }
    if (rename(temporaryPath.c_str(), destinationPath.c_str()) != 0) {
        fail(std::strerror(errno));
    }
    temporaryPath.clear();
    unregisterForInterrupt(interruptSlot);
    interruptSlot = -1;
}

void PendingOutput::fail(const std::string& reason) const {
    throw HostError("cannot write " + destinationPath + ": " + reason);
}

void PendingOutput::discard() {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
    if (!temporaryPath.empty()) {
        unlink(temporaryPath.c_str());
        temporaryPath.clear();
    }
    unregisterForInterrupt(interruptSlot);
    interruptSlot = -1;
}

} // namespace plughost
