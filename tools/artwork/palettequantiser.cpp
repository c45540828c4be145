#include "tools/artwork/palettequantiser.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <stdexcept>

namespace artwork {

namespace {

constexpr size_t kPaletteSize = 256;
constexpr int kRefinementPasses = 6;

struct WeightedColour {
    uint32_t rgb;
    uint64_t count;
};

using Channels = std::array<double, 3>;

Channels channelsOf(uint32_t rgb) {
    return {static_cast<double>(redOf(rgb)), static_cast<double>(greenOf(rgb)),
            static_cast<double>(blueOf(rgb))};
}

double distanceSquared(const Channels& a, const Channels& b) {
    const double dr = a[0] - b[0];
    const double dg = a[1] - b[1];
    const double db = a[2] - b[2];
    return dr * dr + dg * dg + db * db;
}

uint32_t roundedColour(const Channels& c) {
    // Channel means are never negative, so adding a half and truncating rounds them; the
    // committed bitmaps were quantised so.
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    auto round = [](double v) { return std::clamp(static_cast<int>(v + 0.5), 0, 255); };
    return packRgb(round(c[0]), round(c[1]), round(c[2]));
}

std::vector<WeightedColour> histogram(const RgbImage& image) {
    std::map<uint32_t, uint64_t> counts;
    for (uint32_t rgb : image.pixels) {
        ++counts[rgb];
    }
    std::vector<WeightedColour> colours;
    colours.reserve(counts.size());
    for (const auto& [rgb, count] : counts) {
        colours.push_back({rgb, count});
    }
    return colours;
}

// A run [begin, end) of the colour list with its weighted statistics.
struct Box {
    size_t begin;
    size_t end;
    Channels mean{};
    Channels variance{}; // weighted sum of squared deviations per channel
    double error = 0.0;

    void measure(const std::vector<WeightedColour>& colours) {
        Channels sum{};
        double weight = 0.0;
        for (size_t i = begin; i < end; ++i) {
            const Channels c = channelsOf(colours[i].rgb);
            const auto w = static_cast<double>(colours[i].count);
            for (size_t k = 0; k < 3; ++k) {
                sum[k] += c[k] * w;
            }
            weight += w;
        }
        for (size_t k = 0; k < 3; ++k) {
            mean[k] = sum[k] / weight;
            variance[k] = 0.0;
        }
        for (size_t i = begin; i < end; ++i) {
            const Channels c = channelsOf(colours[i].rgb);
            const auto w = static_cast<double>(colours[i].count);
            for (size_t k = 0; k < 3; ++k) {
                variance[k] += (c[k] - mean[k]) * (c[k] - mean[k]) * w;
            }
        }
        error = variance[0] + variance[1] + variance[2];
    }
};

// Splits the box at the weighted median of its widest channel; both halves keep one colour or more.
std::pair<Box, Box> split(const Box& box, std::vector<WeightedColour>& colours) {
    const auto widest = static_cast<size_t>(
        std::max_element(box.variance.begin(), box.variance.end()) - box.variance.begin());
    const auto first = colours.begin() + static_cast<ptrdiff_t>(box.begin);
    const auto last = colours.begin() + static_cast<ptrdiff_t>(box.end);
    std::sort(first, last, [widest](const WeightedColour& a, const WeightedColour& b) {
        const double ca = channelsOf(a.rgb)[widest];
        const double cb = channelsOf(b.rgb)[widest];
        return ca != cb ? ca < cb : a.rgb < b.rgb;
    });
    uint64_t total = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        total += colours[i].count;
    }
    uint64_t running = 0;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
        running += colours[i].count;
        cut = i + 1;
        if (running * 2 >= total) {
            break;
        }
    }
    Box low{box.begin, cut};
    Box high{cut, box.end};
    low.measure(colours);
    high.measure(colours);
    return {low, high};
}

std::vector<Channels> medianCut(std::vector<WeightedColour> colours, size_t slots) {
    std::vector<Box> boxes;
    if (!colours.empty()) {
        Box all{0, colours.size()};
        all.measure(colours);
        boxes.push_back(all);
    }
    while (boxes.size() < slots) {
        auto worst = boxes.end();
        for (auto box = boxes.begin(); box != boxes.end(); ++box) {
            if (box->end - box->begin > 1 && (worst == boxes.end() || box->error > worst->error)) {
                worst = box;
            }
        }
        if (worst == boxes.end() || worst->error <= 0.0) {
            break;
        }
        auto [low, high] = split(*worst, colours);
        *worst = low;
        boxes.push_back(high);
    }
    std::vector<Channels> centres;
    centres.reserve(boxes.size());
    for (const Box& box : boxes) {
        centres.push_back(box.mean);
    }
    return centres;
}

size_t nearest(const std::vector<Channels>& palette, const Channels& colour) {
    size_t best = 0;
    double bestDistance = std::numeric_limits<double>::max();
    for (size_t i = 0; i < palette.size(); ++i) {
        const double d = distanceSquared(palette[i], colour);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// k-means passes over the free entries; the first `fixedCount` entries never move.
void refine(std::vector<Channels>& palette, size_t fixedCount,
            const std::vector<WeightedColour>& colours) {
    for (int pass = 0; pass < kRefinementPasses; ++pass) {
        std::vector<Channels> sums(palette.size());
        std::vector<double> weights(palette.size(), 0.0);
        for (const WeightedColour& colour : colours) {
            const Channels c = channelsOf(colour.rgb);
            const size_t entry = nearest(palette, c);
            const auto w = static_cast<double>(colour.count);
            for (size_t k = 0; k < 3; ++k) {
                sums[entry][k] += c[k] * w;
            }
            weights[entry] += w;
        }
        for (size_t entry = fixedCount; entry < palette.size(); ++entry) {
            if (weights[entry] > 0.0) {
                for (size_t k = 0; k < 3; ++k) {
                    palette[entry][k] = sums[entry][k] / weights[entry];
                }
            }
        }
    }
}

std::vector<uint32_t> reducedPalette(const std::vector<WeightedColour>& colours,
                                     const std::vector<uint32_t>& exact) {
    if (exact.size() >= kPaletteSize) {
        throw std::runtime_error("too many exact colours for one palette");
    }
    std::vector<WeightedColour> free;
    for (const WeightedColour& colour : colours) {
        if (std::find(exact.begin(), exact.end(), colour.rgb) == exact.end()) {
            free.push_back(colour);
        }
    }
    std::vector<Channels> palette;
    for (uint32_t rgb : exact) {
        palette.push_back(channelsOf(rgb));
    }
    for (const Channels& centre : medianCut(free, kPaletteSize - exact.size())) {
        palette.push_back(centre);
    }
    refine(palette, exact.size(), free);
    std::vector<uint32_t> packed;
    for (const Channels& entry : palette) {
        packed.push_back(roundedColour(entry));
    }
    return packed;
}

} // namespace

IndexedImage quantise(const RgbImage& image, const std::vector<uint32_t>& exact) {
    const std::vector<WeightedColour> colours = histogram(image);
    IndexedImage result;
    result.width = image.width;
    result.height = image.height;
    if (colours.size() <= kPaletteSize) {
        for (const WeightedColour& colour : colours) {
            result.palette.push_back(colour.rgb);
        }
    } else {
        result.palette = reducedPalette(colours, exact);
    }
    std::vector<Channels> entries;
    for (uint32_t rgb : result.palette) {
        entries.push_back(channelsOf(rgb));
    }
    std::map<uint32_t, uint8_t> mapping;
    for (const WeightedColour& colour : colours) {
        mapping[colour.rgb] = static_cast<uint8_t>(nearest(entries, channelsOf(colour.rgb)));
    }
    result.indices.reserve(image.pixels.size());
    for (uint32_t rgb : image.pixels) {
        result.indices.push_back(mapping[rgb]);
    }
    return result;
}

RgbImage expand(const IndexedImage& image) {
    RgbImage result(image.width, image.height);
    for (size_t i = 0; i < image.indices.size(); ++i) {
        result.pixels[i] = image.palette[image.indices[i]];
    }
    return result;
}

} // namespace artwork
