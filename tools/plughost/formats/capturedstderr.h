// Keeps what a library prints on stderr while it is in scope: lilv reports problems there in
// lines of its own, and plughost's errors are one line each. The text can go into that line.
#pragma once

#include <string>
#include <sys/types.h>

namespace plughost {

class CapturedStderr {
public:
    CapturedStderr();
    ~CapturedStderr(); // stderr is restored; the captured text is dropped
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;

    // Drops what was printed so far.
    void forget();
    // The last line printed since, without the "function(): error: " lilv puts before it; ""
    // when nothing was printed.
    std::string lastLine() const;

private:
    int savedStderr = -1;
    int captureFd = -1;
    off_t forgotten = 0; // the bytes before this are dropped
};

} // namespace plughost
