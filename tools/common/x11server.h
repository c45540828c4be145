// A private X server (Xvfb) for commands that need a display where there is none: started on a
// free display number, stopped when the object goes, and with the program if the program dies.
// plughost and the tests that need a display both start theirs here.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

class PrivateXServer {
public:
    // Starts Xvfb and waits until it accepts connections; throws HostError with Xvfb's own
    // complaint when it cannot start.
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":N", for XOpenDisplay and DISPLAY.
    const std::string& displayName() const { return name; }

private:
    // The exit status once the server has ended, nothing if it is still running after a while.
    std::optional<int> waitForExit();
    void stop();

    pid_t pid = -1;
    std::string name;
};
