// Runs a command against a private Xvfb server that is started for it and stopped afterwards,
// the same server plughost starts when there is no display.
//   with_xvfb COMMAND [ARGS...]
#include "tools/common/x11server.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kExecFailed = 127;

// The command's exit status, or 128 and the signal that ended it, as a shell reports it.
int runCommand(char** argv) {
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(kExecFailed);
    }
    if (child < 0) {
        std::perror("with_xvfb: fork");
        return 1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            std::perror("with_xvfb: waitpid");
            return 1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: with_xvfb COMMAND [ARGS...]\n");
        return 2;
    }
    try {
        const PrivateXServer server;
        setenv("DISPLAY", server.displayName().c_str(), 1);
        return runCommand(argv + 1);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "with_xvfb: %s\n", error.what());
        return 1;
    }
}
