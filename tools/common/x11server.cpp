#include "tools/common/x11server.h"

#include "tools/common/errors.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Large enough for any editor; Xvfb allocates the frame buffer only as it is drawn on.
constexpr const char* kScreen = "3840x2160x24";
// Xvfb writes the display number it chose to this descriptor once it accepts connections.
constexpr int kDisplayDescriptor = 3;
constexpr int kStartTimeoutMs = 15000;
constexpr auto kStopTimeout = std::chrono::seconds(3);
constexpr int kExecFailed = 127;

// Runs in the forked child: only async-signal-safe calls until exec.
[[noreturn]] void execServer(int displayPipe, int logDescriptor, pid_t parent, char* const* argv) {
    // The server must not outlive the program, however the program ends.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(kExecFailed);
    }
    const int null = open("/dev/null", O_RDWR);
    if (null < 0 || dup2(null, STDIN_FILENO) < 0 || dup2(null, STDOUT_FILENO) < 0 ||
        dup2(logDescriptor, STDERR_FILENO) < 0) {
        _exit(kExecFailed);
    }
    if (displayPipe == kDisplayDescriptor) {
        fcntl(displayPipe, F_SETFD, 0);
    } else if (dup2(displayPipe, kDisplayDescriptor) < 0) {
        _exit(kExecFailed);
    }
    // Nothing else of the program's (open outputs, a plug-in's connections) goes to the server.
    close_range(kDisplayDescriptor + 1, ~0U, 0);
    execvp(argv[0], argv);
    _exit(kExecFailed);
}

// The last non-empty line Xvfb wrote, to say why it stopped.
std::string lastLine(FILE* log) {
    std::rewind(log);
    std::string last;
    char line[512];
    while (std::fgets(line, sizeof line, log) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        if (!text.empty()) {
            last = text;
        }
    }
    return last;
}

// Reads the display number from the pipe: empty when the server closed it without one (it
// exited), nothing when it did not answer in time.
std::optional<std::string> readDisplayNumber(int descriptor) {
    std::string number;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd ready{descriptor, POLLIN, 0};
        if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) == 0) {
            return std::nullopt;
        }
        char c = 0;
        const ssize_t got = read(descriptor, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::string();
        }
        if (c == '\n') {
            return number;
        }
        number += c;
    }
}

} // namespace

PrivateXServer::PrivateXServer() {
    using LogFile = std::unique_ptr<FILE, decltype(&std::fclose)>;
    const LogFile log(std::tmpfile(), std::fclose);
    int displayPipe[2];
    if (log == nullptr || pipe2(displayPipe, O_CLOEXEC) != 0) {
        throw HostError(std::string("cannot start Xvfb: ") + std::strerror(errno));
    }
    std::vector<std::string> arguments = {"Xvfb", "-displayfd", std::to_string(kDisplayDescriptor),
                                          "-screen", "0", kScreen, "-nolisten", "tcp",
                                          // A client leaving must not reset the server under
                                          // the next one.
                                          "-noreset"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    pid = fork();
    if (pid == 0) {
        execServer(displayPipe[1], fileno(log.get()), parent, argv.data());
    }
    const int forkError = errno;
    close(displayPipe[1]);
    if (pid < 0) {
        close(displayPipe[0]);
        throw HostError(std::string("cannot start Xvfb: ") + std::strerror(forkError));
    }
    const std::optional<std::string> number = readDisplayNumber(displayPipe[0]);
    close(displayPipe[0]);
    if (number && !number->empty()) {
        name = ":" + *number;
        return;
    }
    const std::optional<int> status = number ? waitForExit() : std::nullopt;
    if (!status) {
        stop();
        throw HostError("cannot start Xvfb: it did not accept connections within " +
                        std::to_string(kStartTimeoutMs / 1000) + " s");
    }
    if (WIFEXITED(*status) && WEXITSTATUS(*status) == kExecFailed) {
        throw HostError("no X display (DISPLAY is not set) and Xvfb is not installed "
                        "(scripts/install-deps.sh installs it)");
    }
    const std::string reason = lastLine(log.get());
    throw HostError("cannot start Xvfb" + (reason.empty() ? std::string() : ": " + reason));
}

PrivateXServer::~PrivateXServer() {
    stop();
}

std::optional<int> PrivateXServer::waitForExit() {
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid = -1;
    return status;
}

void PrivateXServer::stop() {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGTERM);
    if (!waitForExit()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}
