// plughost refuses bad input with one line naming the problem and a non-zero exit, and leaves no
// output behind, not even a temporary file. Asked for help, it helps.
#include "tests/host/test_plughost_support.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace plughost_test;

namespace {

// A real shared library that is no plug-in: the one libsndfile lives in.
std::string libraryWithoutEntry() {
    Dl_info info{};
    EXPECT_NE(dladdr(reinterpret_cast<void*>(&sf_version_string), &info), 0);
    return info.dli_fname;
}

void makeSocket(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
    const int socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(bind(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(socketFd);
}

struct ErrorCase {
    std::string name;
    std::vector<std::string> arguments; // names in capitals stand for files of the scratch folder
    int exitCode;
    std::string message;
    std::string environment = ""; // added to plughost's
};

class PlughostErrors : public PlughostTest {
protected:
    void SetUp() override {
        PlughostTest::SetUp();
        writeAudio(file("in.wav"), noise(2, 44100, 1000));
        writeAudio(file("low.wav"), noise(1, 4000, 100));
        writeAudio(file("slow.wav"), noise(1, 1000, 100));
        writeAudio(file("empty.wav"), noise(2, 44100, 0));
        std::filesystem::create_symlink("in.wav", file("in-link.wav"));
        std::filesystem::create_hard_link(file("in.wav"), file("in-hard.wav"));
        std::ofstream(file("song.m4a")) << std::string("\0\0\0\x20"
                                                       "ftypM4A ",
                                                       12);
        std::ofstream(file("notes.txt")) << "not audio, not MIDI\n";
        std::ofstream(file("broken.wav")) << "RIFF";
        std::filesystem::create_symlink("loop.wav", file("loop.wav"));
        makeSocket(file("socket.wav"));
        inputs = contents();
        input = readText(file("in.wav"));
    }

    std::string expand(const std::string& argument) const {
        const std::map<std::string, std::string> files = {
            {"INLINK", "in-link.wav"}, {"INHARD", "in-hard.wav"}, {"EMPTY", "empty.wav"},
            {"M4A", "song.m4a"},       {"MP3", "out.mp3"},        {"JPG", "picture.jpg"},
            {"PNG", "plot.png"},       {"BROKEN", "broken.wav"},  {"SLOW", "slow.wav"}};
        if (files.contains(argument)) {
            return file(files.at(argument));
        }
        // A folder of the scratch folder that is never made, unlike one at the root.
        if (argument.starts_with("MISSING/")) {
            return file("missing/" + argument.substr(std::string("MISSING/").size()));
        }
        if (argument == "IN") {
            return file("in.wav");
        }
        if (argument == "OUT") {
            return file("out.wav");
        }
        if (argument == "LOW") {
            return file("low.wav");
        }
        if (argument == "TXT") {
            return file("notes.txt");
        }
        if (argument == "LOOP" || argument == "SOCKET") {
            return file(argument == "LOOP" ? "loop.wav" : "socket.wav");
        }
        if (argument == "SO") {
            return builtPluginPath();
        }
        if (argument == "LV2") {
            return GLIDEFILTER_LV2_BUNDLE_PATH;
        }
        return argument;
    }

    void check(const ErrorCase& error) {
        std::vector<std::string> arguments;
        for (const std::string& argument : error.arguments) {
            arguments.push_back(expand(argument));
        }
        const Outcome run = plughost(arguments, error.environment);
        EXPECT_EQ(run.exitCode, error.exitCode) << error.name << ": " << run.errors;
        EXPECT_NE(run.errors.find(error.message), std::string::npos)
            << error.name << ": " << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1)
            << error.name << ": " << run.errors;
        EXPECT_EQ(contents(), inputs) << error.name;
        EXPECT_EQ(readText(file("in.wav")), input) << error.name;
    }

    std::vector<std::string> inputs;
    std::string input;
};

} // namespace

TEST_F(PlughostErrors, RenderRefusesBadPluginsFilesAndArguments) {
    const std::vector<ErrorCase> cases = {
        {"missing plug-in",
         {"render", "/nonexistent/x.so", "IN", "OUT"},
         1,
         "cannot load /nonexistent/x.so"},
        {"text as plug-in", {"render", "TXT", "IN", "OUT"}, 1, "cannot load"},
        {"library without entry",
         {"render", libraryWithoutEntry(), "IN", "OUT"},
         1,
         "not a VST 2 plug-in"},
        {"missing audio",
         {"render", "SO", "/nonexistent/in.wav", "OUT"},
         1,
         "cannot read audio file /nonexistent/in.wav: No such file or directory\n"},
        {"text as audio", {"render", "SO", "TXT", "OUT"}, 1, "cannot read audio file"},
        {"missing MIDI",
         {"render", "SO", "IN", "OUT", "--midi", "/nonexistent/song.mid"},
         1,
         "cannot read MIDI file /nonexistent/song.mid"},
        {"text as MIDI",
         {"render", "SO", "IN", "OUT", "--midi", "TXT"},
         1,
         "not a Standard MIDI File"},
        {"parameter index",
         {"render", "SO", "IN", "OUT", "--param", "8=0.5"},
         2,
         "parameter index 8 does not exist"},
        {"parameter value",
         {"render", "SO", "IN", "OUT", "--param", "1=1.5"},
         2,
         "bad parameter value 1.5 for Frequency"},
        {"parameter text",
         {"render", "SO", "IN", "OUT", "--param", "1=loud"},
         2,
         "bad parameter value 'loud'"},
        {"parameter form", {"render", "SO", "IN", "OUT", "--param", "1"}, 2, "N=V"},
        {"program",
         {"render", "SO", "IN", "OUT", "--program", "16"},
         2,
         "program 16 does not exist"},
        {"controller value",
         {"render", "SO", "IN", "OUT", "--cc", "71:128@0"},
         2,
         "bad controller value 128"},
        {"note frame",
         {"render", "SO", "IN", "OUT", "--note", "60@-5"},
         2,
         "bad time '-5' in --note 60@-5: a time is 0 or later"},
        {"time unit",
         {"render", "SO", "IN", "OUT", "--cc", "71:127@2min"},
         2,
         "bad time '2min' in --cc 71:127@2min: give frames (88200), seconds (2s, 2.5s) or "
         "milliseconds (1500ms)"},
        {"negative seconds",
         {"render", "SO", "IN", "OUT", "--param-at", "1=0.5@-1s"},
         2,
         "bad time '-1s' in --param-at 1=0.5@-1s: a time is 0 or later"},
        {"frames with a fraction",
         {"render", "SO", "IN", "OUT", "--cc", "71:1@2.5"},
         2,
         "frames are whole; for seconds add s (2.5s)"},
        {"note name",
         {"render", "SO", "IN", "OUT", "--note", "H4@0"},
         2,
         "bad note 'H4' in --note H4@0: give a number 0 to 127 or a name from C-1 to G9"},
        {"note beyond G9", {"render", "SO", "IN", "OUT", "--note", "A9@0"}, 2, "bad note 'A9'"},
        {"note length",
         {"render", "SO", "IN", "OUT", "--note", "C4@0,len=1x"},
         2,
         "bad time '1x' in --note C4@0,len=1x"},
        {"note velocity",
         {"render", "SO", "IN", "OUT", "--note", "C4@0,vel=0"},
         2,
         "bad note velocity 0: must be 1 to 127"},
        {"note option",
         {"render", "SO", "IN", "OUT", "--note", "C4@0,velocity=9"},
         2,
         "bad note option 'velocity=9' in --note C4@0,velocity=9: give vel=1..127 or len=TIME"},
        {"sample format",
         {"render", "SO", "IN", "OUT", "--bits", "8"},
         2,
         "bad --bits '8': give 16, 24 or 32f"},
        {"sample format the container lacks",
         {"render", "SO", "IN", "/nonexistent/out.flac", "--bits", "32f"},
         2,
         "with --bits 32f: a .flac file takes --bits 16 or 24"},
        {"sample format of a coded container",
         {"render", "SO", "IN", "/nonexistent/out.ogg", "--bits", "16"},
         2,
         "a .ogg file has an encoding of its own"},
        {"block size", {"render", "SO", "IN", "OUT", "--block", "0"}, 2, "bad block size 0"},
        {"unknown option",
         {"render", "SO", "IN", "OUT", "--wet", "1"},
         2,
         "unknown option '--wet'"},
        {"missing value", {"render", "SO", "IN", "OUT", "--rate"}, 2, "--rate needs a value"},
        {"missing output", {"render", "SO", "IN"}, 2, "usage: plughost render"},
        {"empty output name",
         {"render", "SO", "IN", ""},
         2,
         "plughost: an output file's name is empty"},
        {"unwritable extension",
         {"render", "SO", "IN", "/nonexistent/out.mp4"},
         2,
         "no audio format has the extension .mp4"},
        {"rate below 8000",
         {"render", "SO", "IN", "OUT", "--rate", "4000"},
         2,
         "bad sample rate 4000: must be 8000 to 768000"},
        {"input rate below 8000",
         {"render", "SO", "LOW", "OUT"},
         1,
         "at its sample rate, 4000 Hz: plughost runs plug-ins at 8000 to 768000 Hz"},
        {"resampling by more than libsamplerate does",
         {"render", "SO", "SLOW", "OUT", "--rate", "768000"},
         1,
         "from 1000 Hz to 768000 Hz: libsamplerate converts by a factor of 256 at most"},
        {"flag with a value", {"render", "SO", "IN", "OUT", "--replacing=1"}, 2, "takes no value"},
        {"output folder missing",
         {"render", "SO", "IN", "MISSING/out.wav"},
         1,
         "missing/out.wav: No such file or directory"},
        {"output is a folder", {"render", "SO", "IN", "/tmp"}, 1, "cannot write /tmp"},
        {"output is a socket", {"render", "SO", "IN", "SOCKET"}, 1, "it is a socket"},
        {"output links to itself", {"render", "SO", "IN", "LOOP"}, 1, "levels of symbolic links"},
        {"output device full",
         {"render", "SO", "IN", "/dev/full"},
         1,
         "cannot write /dev/full: No space left on device"},
        {"unknown command", {"bake", "SO"}, 2, "unknown command 'bake'"},
        {"output is the input", {"render", "SO", "IN", "IN"}, 2, "it is the input"},
        {"output links to the input", {"render", "SO", "IN", "INLINK"}, 2, "it is the input"},
        {"output is a hard link to the input",
         {"render", "SO", "INHARD", "IN"},
         2,
         "it is the input"},
        {"output is the MIDI file",
         {"render", "SO", "LOW", "IN", "--midi", "IN"},
         2,
         "it is the input"},
        {"input holds no audio", {"render", "SO", "EMPTY", "OUT"}, 1, "it holds no audio"},
        {"input of an unknown kind",
         {"render", "SO", "M4A", "OUT"},
         1,
         "not a kind of file plughost reads (WAV, AIFF, FLAC"},
        {"damaged input of a known kind",
         {"render", "SO", "BROKEN", "OUT"},
         1,
         "not a .wav file plughost can read: it is damaged or cut short"},
        {"no encoding at this rate",
         {"render", "SO", "IN", "MP3", "--rate", "96000"},
         1,
         "a .mp3 file cannot hold 2 channels at 96000 Hz; a .wav, .flac"},
        {"unknown parameter name",
         {"render", "SO", "IN", "OUT", "--param", "Frequncy=0.3"},
         2,
         "no parameter named 'Frequncy' (it has Flt.type, Frequency,"},
        {"stray argument", {"render", "SO", "IN", "OUT", "x"}, 2, "unexpected argument 'x'"},
        {"control characters in a name",
         {"render", "SO", "IN", "OUT", "--param", "Fre\x1b[2Jq\n=0.5"},
         2,
         "no parameter named 'Fre\\x1b[2Jq\\n'"},
        {"bare name found nowhere",
         {"render", "nosuchplugin", "IN", "OUT"},
         1,
         "cannot find plug-in nosuchplugin: it is no file in this folder nor nosuchplugin or "
         "nosuchplugin.so in the VST 2 folders (/x/lx, /x/vst, ",
         "LXVST_PATH=/x/lx VST_PATH=:/x/vst:"},
    };
    for (const ErrorCase& error : cases) {
        check(error);
    }
}

// Every command that sets parameters refuses a value outside the range in both formats alike,
// naming the range, the units and the labels the parameter takes.
TEST_F(PlughostErrors, ParameterValuesFollowOneRuleInBothFormatsAndEveryCommand) {
    const std::string normalised = "(VST 2 parameters take normalised values)";
    const std::vector<ErrorCase> cases = {
        {"LV2 above range",
         {"render", "LV2", "IN", "OUT", "--param", "frequency=300"},
         2,
         "bad parameter value 300 for Frequency: out of range; it takes 0 to 100 %\n"},
        {"VST 2 above range",
         {"render", "SO", "IN", "OUT", "--param", "Frequency=300"},
         2,
         "bad parameter value 300 for Frequency: out of range; it takes 0 to 1 " + normalised},
        {"LV2 below range", {"info", "LV2", "--param", "gain=-30"}, 2, "it takes -24 to 0 dB\n"},
        {"LV2 unknown label",
         {"response", "LV2", "PNG", "--param", "type=BPF"},
         2,
         "bad parameter value 'BPF' for Flt.type: not a number; it takes 0 to 1 (a number "
         "without unit), or LPF, HPF\n"},
        {"VST 2 unknown label",
         {"screenshot", "SO", "PNG", "--param", "Flt.type=BPF"},
         2,
         "bad parameter value 'BPF' for Flt.type: not a number; it takes 0 to 1 " + normalised +
             ", or LPF, HPF\n"},
        {"LV2 change above range",
         {"render", "LV2", "IN", "OUT", "--param-at", "cc_rezo=200@10"},
         2,
         "bad parameter value 200 for CC Rezo: out of range; it takes 0 to 128 (a number without "
         "unit), or OFF\n"},
        {"VST 2 change in another format's units",
         {"render", "SO", "IN", "OUT", "--param-at", "Gain=-12@10"},
         2,
         "bad parameter value -12 for Gain: out of range; it takes 0 to 1 " + normalised},
        {"LV2 screenshot",
         {"screenshot", "LV2", "PNG", "--param", "smoothness=101"},
         2,
         "for Smoothness: out of range; it takes 0 to 100 (a number without unit)\n"},
        {"VST 2 response",
         {"response", "SO", "PNG", "--param", "4=-0.1"},
         2,
         "bad parameter value -0.1 for Gain: out of range"},
    };
    for (const ErrorCase& error : cases) {
        check(error);
    }
}

TEST_F(PlughostErrors, ResponseRefusesBadArgumentsAndOutputs) {
    const std::vector<ErrorCase> cases = {
        {"missing plug-in", {"response", "/nonexistent/x.so", "PNG"}, 1, "cannot load"},
        {"parameter index",
         {"response", "SO", "PNG", "--param", "9=0"},
         2,
         "parameter index 9 does not exist"},
        {"unwritable plot",
         {"response", "SO", "MISSING/plot.png"},
         1,
         "missing/plot.png: No such file or directory"},
        {"unwritable table",
         {"response", "SO", "PNG", "--csv", "MISSING/r.csv"},
         1,
         "missing/r.csv: No such file or directory"},
        {"unknown option", {"response", "SO", "PNG", "--points", "5"}, 2, "unknown option"},
        {"unwritable picture format",
         {"response", "SO", "JPG"},
         2,
         "writes this picture as .png, .svg or .pdf only"},
        {"screenshot format", {"screenshot", "SO", "JPG"}, 2, "writes this picture as .png only"},
        {"output beyond the plug-in's",
         {"response", "SO", "PNG", "--output", "3"},
         2,
         "output 3 does not exist: the plug-in has outputs 1 to 2"},
        {"two outputs on standard output",
         {"response", "SO", "-", "--csv", "-"},
         1,
         "cannot write standard output: it already carries another output"},
        {"stray argument", {"generate", "PNG", "extra"}, 2, "unexpected argument 'extra'"},
        {"stray argument after options",
         {"info", "SO", "--program", "1", "extra"},
         2,
         "unexpected argument 'extra'"},
    };
    for (const ErrorCase& error : cases) {
        check(error);
    }
}

// Through either entry point; a record with one of the two processing entries is usable.
TEST_F(PlughostErrors, RefusesARecordWithoutTheEntriesEveryCommandNeeds) {
    const std::vector<std::pair<std::string, std::string>> missing = {
        {"dispatcher", "without a dispatcher"},
        {"setParameter", "without its setParameter entry"},
        {"getParameter", "without its getParameter entry"}};
    const std::vector<std::vector<std::string>> commands = {
        {"info"}, {"render", "IN", "OUT"}, {"response", "PNG"}};
    for (const std::string plugin : {TEST_EDITOR_PLUGIN_PATH, TEST_PLAIN_PLUGIN_PATH}) {
        for (const auto& [entry, message] : missing) {
            for (std::vector<std::string> command : commands) {
                command.insert(command.begin() + 1, plugin);
                check({entry + " " + command[0], command, 1, message, "TEST_PLUGIN_NULL=" + entry});
            }
        }
    }
    check({"replacing asked for",
           {"render", TEST_EDITOR_PLUGIN_PATH, "IN", "OUT", "--replacing"},
           1,
           "the plug-in has no processReplacing entry",
           "TEST_PLUGIN_NULL=processReplacing"});
    for (const std::string entry : {"process", "processReplacing"}) {
        for (std::vector<std::string> command : commands) {
            command.insert(command.begin() + 1, TEST_PLAIN_PLUGIN_PATH);
            std::transform(command.begin(), command.end(), command.begin(),
                           [this](const std::string& argument) { return expand(argument); });
            const Outcome run = plughost(command, "TEST_PLUGIN_NULL=" + entry);
            EXPECT_EQ(run.exitCode, 0) << entry << " " << command[0] << ": " << run.errors;
        }
    }
}

TEST_F(PlughostErrors, AFailedRenderKeepsTheOldOutput) {
    std::ofstream(file("out.wav")) << "previous result";
    inputs = contents();
    check({"bad MIDI", {"render", "SO", "IN", "OUT", "--midi", "TXT"}, 1, "cannot read MIDI file"});
    EXPECT_EQ(readText(file("out.wav")), "previous result");
}

// Starts `plughost generate` on an hour of audio: it is still writing when the signal comes.
pid_t startLongRun(const std::filesystem::path& output) {
    std::vector<std::string> arguments = {PLUGHOST_PATH, "generate", output.string(), "--seconds",
                                          "3600"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const int lastSignal = SIGRTMAX;
    const pid_t pid = fork();
    if (pid == 0) {
        // Default dispositions and no core files, whatever this process inherited.
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int signalNumber = 1; signalNumber <= lastSignal; ++signalNumber) {
            signal(signalNumber, SIG_DFL);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// The sanitizer runtime keeps its own handlers for SIGSEGV, SIGBUS and SIGFPE; every other
// signal that ends a process by default is here.
TEST_F(PlughostErrors, EverySignalEndingTheRunRemovesTheTemporaryFile) {
    using namespace std::chrono_literals;
    for (const int signalNumber : {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP,  SIGABRT, SIGUSR1,
                                   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGXCPU,  SIGXFSZ, SIGVTALRM,
                                   SIGPROF, SIGIO,   SIGPWR,  SIGSYS,  SIGRTMIN, SIGRTMAX}) {
        const pid_t pid = startLongRun(file("long.wav"));
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (contents().size() == inputs.size() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        kill(pid, signalNumber);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber)
            << strsignal(signalNumber);
        EXPECT_EQ(contents(), inputs) << strsignal(signalNumber);
        for (const std::string& name : contents()) {
            if (name.starts_with(".long.wav.")) { // left behind: each signal is judged alone
                std::filesystem::remove(file(name));
            }
        }
    }
}

TEST_F(PlughostErrors, HelpAndVersionGoToStandardOutput) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--help"}, "commands:\n  list"},
        {{"-h"}, "commands:"},
        {{"help"}, "commands:"},
        {{"--version"}, "plughost 1."},
        {{"help", "render"}, "usage: plughost render PLUGIN.so IN OUT"},
        {{"render", "--help"}, "  --replacing "},
        {{"info", "-h"}, "usage: plughost info PLUGIN.so [--param N=V ...] [--program N]"},
    };
    for (const auto& [arguments, text] : cases) {
        const Outcome run = plughost(arguments);
        EXPECT_EQ(run.exitCode, 0) << arguments.back() << ": " << run.errors;
        EXPECT_EQ(run.errors, "") << arguments.back();
        EXPECT_NE(run.output.find(text), std::string::npos)
            << arguments.back() << ": " << run.output;
    }
}
