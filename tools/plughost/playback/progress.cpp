#include "tools/plughost/playback/progress.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace plughost {
namespace {

constexpr int kBarWidth = 40;

} // namespace

ProgressBar::ProgressBar(int64_t total)
    : total(total), enabled(total > 0 && isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::finish() {
    if (enabled && shownPercent >= 0) {
        std::fputc('\n', stderr);
    }
    enabled = false;
}

void ProgressBar::update(int64_t done) {
    if (!enabled) {
        return;
    }
    const int percent = static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100));
    if (percent != shownPercent) {
        shownPercent = percent;
        draw(percent);
    }
}

void ProgressBar::draw(int percent) const {
    const int filled = percent * kBarWidth / 100;
    const std::string bar = std::string(static_cast<size_t>(filled), '#') +
                            std::string(static_cast<size_t>(kBarWidth - filled), '.');
    std::fprintf(stderr, "\rrendering [%s] %3d%%", bar.c_str(), percent);
    std::fflush(stderr);
}

} // namespace plughost
