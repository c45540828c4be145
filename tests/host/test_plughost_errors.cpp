// plughost refuses bad input with one line naming the problem and a non-zero exit, and leaves no
// output behind, not even a temporary file. Asked for help, it helps.
#include "tests/host/test_plughost_support.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
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
    std::vector<std::string>
        arguments; // IN, OUT, MID, TXT, SO stand for files of the scratch folder
    int exitCode;
    std::string message;
};

class PlughostErrors : public PlughostTest {
protected:
    void SetUp() override {
        PlughostTest::SetUp();
        writeAudio(file("in.wav"), noise(2, 44100, 1000));
        writeAudio(file("low.wav"), noise(1, 4000, 100));
        std::ofstream(file("notes.txt")) << "not audio, not MIDI\n";
        std::filesystem::create_symlink("loop.wav", file("loop.wav"));
        makeSocket(file("socket.wav"));
        inputs = contents();
    }

    std::string expand(const std::string& argument) const {
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
        return argument;
    }

    void check(const ErrorCase& error) {
        std::vector<std::string> arguments;
        for (const std::string& argument : error.arguments) {
            arguments.push_back(expand(argument));
        }
        const Outcome run = plughost(arguments);
        EXPECT_EQ(run.exitCode, error.exitCode) << error.name << ": " << run.errors;
        EXPECT_NE(run.errors.find(error.message), std::string::npos)
            << error.name << ": " << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1)
            << error.name << ": " << run.errors;
        EXPECT_EQ(contents(), inputs) << error.name;
    }

    std::vector<std::string> inputs;
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
         "bad parameter value 1.5"},
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
        {"note frame", {"render", "SO", "IN", "OUT", "--note", "60@-5"}, 2, "bad frame -5"},
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
        {"flag with a value", {"render", "SO", "IN", "OUT", "--replacing=1"}, 2, "takes no value"},
        {"output folder missing",
         {"render", "SO", "IN", "/nonexistent/out.wav"},
         1,
         "cannot write /nonexistent/out.wav"},
        {"output is a folder", {"render", "SO", "IN", "/tmp"}, 1, "cannot write /tmp"},
        {"output is a socket", {"render", "SO", "IN", "SOCKET"}, 1, "it is a socket"},
        {"output links to itself", {"render", "SO", "IN", "LOOP"}, 1, "levels of symbolic links"},
        {"output device full",
         {"render", "SO", "IN", "/dev/full"},
         1,
         "cannot write /dev/full: No space left on device"},
        {"unknown command", {"bake", "SO"}, 2, "unknown command 'bake'"},
    };
    for (const ErrorCase& error : cases) {
        check(error);
    }
}

TEST_F(PlughostErrors, ResponseRefusesBadArgumentsAndOutputs) {
    const std::vector<ErrorCase> cases = {
        {"missing plug-in", {"response", "/nonexistent/x.so", "OUT"}, 1, "cannot load"},
        {"parameter index",
         {"response", "SO", "OUT", "--param", "9=0"},
         2,
         "parameter index 9 does not exist"},
        {"unwritable plot",
         {"response", "SO", "/nonexistent/plot.png"},
         1,
         "cannot write /nonexistent/plot.png"},
        {"unwritable table",
         {"response", "SO", "OUT", "--csv", "/nonexistent/r.csv"},
         1,
         "cannot write /nonexistent/r.csv"},
        {"unknown option", {"response", "SO", "OUT", "--points", "5"}, 2, "unknown option"},
    };
    for (const ErrorCase& error : cases) {
        check(error);
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
        {{"--help"}, "commands:\n  info"},
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
