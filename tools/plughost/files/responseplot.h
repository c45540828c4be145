// Draws a magnitude response as a PNG, SVG or PDF: dB against logarithmic frequency, with grid
// and labels.
#pragma once

#include "tools/common/pendingoutput.h"
#include "tools/plughost/files/pictureformat.h"
#include "tools/plughost/playback/response.h"

#include <string>

namespace plughost {

struct PlotTexts {
    std::string title;
    std::string subtitle;
};

// Plots the first channel; throws HostError naming the output when it cannot be written.
void plotResponse(const MagnitudeResponse& response, const PlotTexts& texts, PictureFormat format,
                  PendingOutput& output);

} // namespace plughost
