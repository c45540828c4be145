// plughost response measures the filter the plug-in is set to: pass band at the gain, stop band
// far below, resonance at the cutoff; and writes a plot of the promised size.
#include "tests/host/test_plughost_support.h"

#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

using namespace plughost_test;

namespace {

struct Point {
    double hertz;
    double decibels;
};

std::vector<Point> readCsv(const std::filesystem::path& path, int output = 1) {
    std::istringstream lines(readText(path));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "frequency_hz,ch" + std::to_string(output) + "_db");
    std::vector<Point> points;
    while (std::getline(lines, line)) {
        Point point{};
        EXPECT_EQ(std::sscanf(line.c_str(), "%lf,%lf", &point.hertz, &point.decibels), 2);
        points.push_back(point);
    }
    return points;
}

bool operator==(const Point& a, const Point& b) {
    return a.hertz == b.hertz && a.decibels == b.decibels;
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

    const Outcome right = plughost({"response", builtPluginPath(), file("right.png"), "--param",
                                    "2=0.6", "--csv", file("right.csv"), "--output", "2"});
    ASSERT_EQ(right.exitCode, 0) << right.errors;
    EXPECT_EQ(readCsv(file("right.csv"), 2), points) << "both channels are filtered alike";
}

TEST_F(PlughostResponse, WritesThePictureFormatTheExtensionNames) {
    for (const auto& [name, start] : std::vector<std::pair<std::string, std::string>>{
             {"plot.svg", "<?xml"}, {"plot.PDF", "%PDF-"}}) {
        const Outcome run = plughost({"response", builtPluginPath(), file(name)});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_TRUE(readText(file(name)).starts_with(start)) << name;
    }
}

// It records and analyses only the output it plots, however many the plug-in announces.
TEST_F(PlughostResponse, MeasuresOneOfThousandsOfOutputsInLittleMemory) {
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("TEST_PLUGIN_OUTPUTS", "5000", 1);
        const rlimit cpu{60, 60}; // a run that analyses every output is stopped
        setrlimit(RLIMIT_CPU, &cpu);
        execl(PLUGHOST_PATH, PLUGHOST_PATH, "response", TEST_PLAIN_PLUGIN_PATH,
              file("plot.png").c_str(), "--output", "5000", "--csv", file("r.csv").c_str(),
              nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(pid, &status, 0, &usage), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readCsv(file("r.csv"), 5000).size(), 400u);
    // 5000 outputs of 3.5 s each would be 3 GB; the block buffers are 10 MB.
    EXPECT_LT(usage.ru_maxrss, 400L * 1024) << "kilobytes";
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
