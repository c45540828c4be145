// A progress bar on stderr, drawn only when stderr is a terminal.
#pragma once

#include <cstdint>

namespace plughost {

class ProgressBar {
public:
    // total 0 (length unknown) draws nothing.
    explicit ProgressBar(int64_t total);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(int64_t done);
    // Ends the bar's line, so that later messages start on a line of their own.
    void finish();

private:
    void draw(int percent) const;

    int64_t total;
    bool enabled;
    int shownPercent = -1;
};

} // namespace plughost
