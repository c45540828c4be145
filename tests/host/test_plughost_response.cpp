// plughost response measures the filter the plug-in is set to: pass band at the gain, stop band
// far below, resonance at the cutoff; and writes a plot of the promised size.
#include "tests/host/test_plughost_support.h"

#include <sstream>

using namespace plughost_test;

namespace {

struct Point {
    double hertz;
    double decibels;
};

std::vector<Point> readCsv(const std::filesystem::path& path) {
    std::istringstream lines(readText(path));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "frequency_hz,ch1_db,ch2_db");
    std::vector<Point> points;
    while (std::getline(lines, line)) {
        Point point{};
        double right = 0.0;
        EXPECT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf", &point.hertz, &point.decibels, &right),
                  3);
        EXPECT_EQ(point.decibels, right) << "both channels are filtered alike";
        points.push_back(point);
    }
    return points;
}

// The measured level at the point nearest the frequency.
double levelAt(const std::vector<Point>& points, double hertz) {
    return std::min_element(points.begin(), points.end(),
                            [hertz](const Point& a, const Point& b) {
                                return std::abs(std::log(a.hertz / hertz)) <
                                       std::abs(std::log(b.hertz / hertz));
                            })
        ->decibels;
}

Point peak(const std::vector<Point>& points) {
    return *std::max_element(points.begin(), points.end(), [](const Point& a, const Point& b) {
        return a.decibels < b.decibels;
    });
}

uint32_t bigEndianAt(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

using PlughostResponse = PlughostTest;

} // namespace

TEST_F(PlughostResponse, LowPassAtDefaultsPassesBassAtTheGainAndResonatesAtTheCutoff) {
    const Outcome run = plughost({"response", builtPluginPath(), file("plot.png"), "--param",
                                  "2=0.6", "--csv", file("response.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const auto points = readCsv(file("response.csv"));
    ASSERT_GT(points.size(), 100u);
    EXPECT_NEAR(points.front().hertz, 20.0, 0.01);
    EXPECT_NEAR(points.back().hertz, 20000.0, 1.0);
    EXPECT_NEAR(levelAt(points, 20.0), -12.0, 0.2) << "the default gain is -12 dB";
    EXPECT_LT(levelAt(points, 10000.0), -50.0);
    // Frequency 0.5 is row 2047 of the 110 Hz to 7040 Hz table, about 648 Hz.
    const Point resonance = peak(points);
    EXPECT_GT(resonance.hertz, 600.0);
    EXPECT_LT(resonance.hertz, 700.0);
    EXPECT_GT(resonance.decibels, 0.0);

    const std::string png = readText(file("plot.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(bigEndianAt(png, 16), 900u);
    EXPECT_EQ(bigEndianAt(png, 20), 540u);
}

TEST_F(PlughostResponse, HighPassAtFullGainCutsTheBass) {
    const Outcome run =
        plughost({"response", builtPluginPath(), file("plot.png"), "--param", "0=1", "--param",
                  "4=1", "--param", "1=0.25", "--csv", file("response.csv"), "--rate", "48000"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const auto points = readCsv(file("response.csv"));
    EXPECT_LT(levelAt(points, 20.0), -40.0);
    EXPECT_NEAR(levelAt(points, 15000.0), 0.0, 0.5);
    EXPECT_EQ(contents(), (std::vector<std::string>{"plot.png", "response.csv"}));
}
