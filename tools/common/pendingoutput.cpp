#include "tools/common/pendingoutput.h"

#include "tools/common/errors.h"
#include "tools/common/signalcleanup.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMostLinksFollowed = 40;
constexpr size_t kCopyChunk = 1 << 16;

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

bool writtenThrough(mode_t mode) {
    return S_ISFIFO(mode) || S_ISCHR(mode);
}

// Writes everything; returns 0 or the error number.
int writeAll(int descriptor, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written < 0 ? errno : ENOSPC;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

// Once an output has taken it, standard output carries nothing else.
bool standardOutputTaken = false;

// A file without a name, gone when closed.
int unnamedTemporaryFile() {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) {
        return -1;
    }
    const int descriptor = fcntl(fileno(file), F_DUPFD_CLOEXEC, 0);
    std::fclose(file);
    return descriptor;
}

} // namespace

PendingOutput::PendingOutput(std::string destination) : destinationPath(std::move(destination)) {
    if (destinationPath.empty()) {
        throw UsageError("an output file's name is empty");
    }
    if (destinationPath == "-") {
        destinationPath = "standard output";
        prepareStandardOutput();
        return;
    }
    struct stat status {};
    if (stat(destinationPath.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            fail(std::strerror(errno));
        }
        status.st_mode = S_IFREG; // nothing there yet, or a link to nothing: a new file
    }
    if (S_ISDIR(status.st_mode)) {
        fail("it is a folder");
    }
    if (writtenThrough(status.st_mode)) {
        prepareWriteThrough();
    } else if (S_ISREG(status.st_mode)) {
        prepareReplacement();
    } else {
        fail(S_ISSOCK(status.st_mode) ? "it is a socket" : "it is a block device");
    }
}

PendingOutput::~PendingOutput() {
    discard();
}

// Follows the link chain itself, so that the temporary file lands beside the file that is
// replaced. A file that is there but not writable is refused, as the shell refuses it.
void PendingOutput::prepareReplacement() {
    replacedPath = destinationPath;
    std::array<char, PATH_MAX> link{};
    for (int followed = 0;; ++followed) {
        const ssize_t length = readlink(replacedPath.c_str(), link.data(), link.size());
        if (length < 0) {
            break;
        }
        if (followed == kMostLinksFollowed) {
            fail(std::strerror(ELOOP));
        }
        const std::string next(link.data(), static_cast<size_t>(length));
        replacedPath = next.starts_with('/') ? next : folderOf(replacedPath) + "/" + next;
    }
    if (access(replacedPath.c_str(), F_OK) == 0 && access(replacedPath.c_str(), W_OK) != 0) {
        fail(std::strerror(errno));
    }
    temporaryPath = folderOf(replacedPath) + "/." + nameOf(replacedPath) + ".XXXXXX";
    const RemovableFile temporary = createFileRemovedOnSignal(temporaryPath);
    if (temporary.descriptor < 0) {
        temporaryPath.clear();
        fail(std::strerror(errno));
    }
    fd = temporary.descriptor;
    signalSlot = temporary.slot;
    if (fchmod(fd, creationMode()) != 0) {
        const int error = errno;
        discard();
        fail(std::strerror(error));
    }
}

// Opening a pipe waits for its reader, as the shell's redirection does.
void PendingOutput::prepareWriteThrough() {
    throughFd = open(destinationPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (throughFd < 0) {
        fail(std::strerror(errno));
    }
    struct stat status {};
    if (fstat(throughFd, &status) != 0 || !writtenThrough(status.st_mode)) {
        discard();
        fail("it was replaced while being opened");
    }
    gatherInUnnamedFile();
}

// Whatever the program or a plug-in prints on standard output from now on goes to stderr, so
// that it cannot mix with the data.
void PendingOutput::prepareStandardOutput() {
    if (standardOutputTaken) {
        fail("it already carries another output");
    }
    std::fflush(stdout);
    throughFd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (throughFd < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        const int error = errno;
        discard();
        fail(std::strerror(error));
    }
    standardOutputTaken = true;
    gatherInUnnamedFile();
}

void PendingOutput::gatherInUnnamedFile() {
    fd = unnamedTemporaryFile();
    if (fd < 0) {
        const int error = errno;
        discard();
        fail(std::strerror(error));
    }
}

void PendingOutput::write(const void* data, size_t size) {
    if (const int error = writeAll(fd, static_cast<const char*>(data), size)) {
        fail(std::strerror(error));
    }
}

void PendingOutput::commit() {
    if (throughFd >= 0) {
        copyThrough();
    }
    const int closed = close(fd);
    fd = -1;
    if (closed != 0) {
        fail(std::strerror(errno));
    }
    if (!temporaryPath.empty() && rename(temporaryPath.c_str(), replacedPath.c_str()) != 0) {
        fail(std::strerror(errno));
    }
    temporaryPath.clear();
    discard();
}

void PendingOutput::copyThrough() {
    std::array<char, kCopyChunk> chunk{};
    if (lseek(fd, 0, SEEK_SET) != 0) {
        fail(std::strerror(errno));
    }
    for (;;) {
        const ssize_t got = read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            fail(std::strerror(errno));
        }
        if (got == 0) {
            break;
        }
        if (const int error = writeAll(throughFd, chunk.data(), static_cast<size_t>(got))) {
            fail(std::strerror(error));
        }
    }
    const int closed = close(throughFd);
    throughFd = -1;
    if (closed != 0) {
        fail(std::strerror(errno));
    }
}

void PendingOutput::fail(const std::string& reason) const {
    throw HostError("cannot write " + destinationPath + ": " + reason);
}

void PendingOutput::discard() {
    for (int* descriptor : {&fd, &throughFd}) {
        if (*descriptor >= 0) {
            close(*descriptor);
            *descriptor = -1;
        }
    }
    if (!temporaryPath.empty()) {
        unlink(temporaryPath.c_str());
        temporaryPath.clear();
    }
    forgetFileOnSignal(signalSlot);
    signalSlot = -1;
}

void writeOutputFile(const std::string& destination, const void* data, size_t size) {
    PendingOutput output(destination);
    output.write(data, size);
    output.commit();
}
