#include "tools/plughost/formats/capturedstderr.h"

#include <cstdio>
#include <unistd.h>

namespace plughost {
namespace {

std::string textOf(int fd, off_t offset) {
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = pread(fd, chunk, sizeof chunk, offset);
        if (got <= 0) {
            return text;
        }
        text.append(chunk, static_cast<size_t>(got));
        offset += got;
    }
}

std::string withoutReporter(std::string line) {
    for (const std::string marker : {"): error: ", "): warning: ", "error: "}) {
        if (const auto position = line.find(marker); position != std::string::npos) {
            return line.substr(position + marker.size());
        }
    }
    return line;
}

} // namespace

// Where no temporary file can be made, nothing is captured and stderr stays as it is.
CapturedStderr::CapturedStderr() {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) {
        return;
    }
    captureFd = dup(fileno(file));
    std::fclose(file);
    std::fflush(stderr);
    savedStderr = dup(STDERR_FILENO);
    if (captureFd >= 0 && savedStderr >= 0 && dup2(captureFd, STDERR_FILENO) >= 0) {
        return;
    }
    for (const int fd : {captureFd, savedStderr}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    captureFd = -1;
    savedStderr = -1;
}

CapturedStderr::~CapturedStderr() {
    if (savedStderr >= 0) {
        std::fflush(stderr);
        dup2(savedStderr, STDERR_FILENO);
        close(savedStderr);
    }
    if (captureFd >= 0) {
        close(captureFd);
    }
}

void CapturedStderr::forget() {
    if (captureFd >= 0) {
        std::fflush(stderr);
        forgotten = lseek(captureFd, 0, SEEK_END);
    }
}

std::string CapturedStderr::lastLine() const {
    if (captureFd < 0) {
        return "";
    }
    std::fflush(stderr);
    std::string text = textOf(captureFd, forgotten);
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    const auto newline = text.rfind('\n');
    return withoutReporter(newline == std::string::npos ? text : text.substr(newline + 1));
}

} // namespace plughost
