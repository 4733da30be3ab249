// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrivatePipeWire.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Starts a program with the current environment, its output (both streams) into a file; with
// ownGroup it leads a process group of its own, so that it can be ended with its children.
pid_t Spawn(const std::vector<std::string>& args, const std::string& output,
            bool ownGroup = false) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (ownGroup) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

int Reap(pid_t pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Runs a client of the servers to its end, never longer than ten seconds (a client can wait
// forever on a server that is still starting), its output into a file; answers its status.
int Ask(const std::vector<std::string>& args, const std::string& output) {
    std::vector<std::string> bounded = {"timeout", "10"};
    bounded.insert(bounded.end(), args.begin(), args.end());
    return Reap(Spawn(bounded, output));
}

// The recorder at a real-time priority where the system grants one: at an ordinary one a busy
// machine lets it fall behind, and the recording then lacks frames the program played.
std::vector<std::string> RealTime(std::vector<std::string> args) {
    static const bool granted = Reap(Spawn({"chrt", "-f", "10", "true"}, "/dev/null")) == 0;
    if (granted) args.insert(args.begin(), {"chrt", "-f", "10"});
    return args;
}

// Whether wpctl's listing shows the sink "velmora" as the default one: then the session
// manager has it in its registry and routes new streams to it.
bool DefaultSinkListed(const std::string& status) {
    size_t at = 0;
    while ((at = status.find(". velmora", at)) != std::string::npos) {
        const size_t line = status.rfind('\n', at);
        const std::string before = status.substr(line == std::string::npos ? 0 : line + 1,
                                                 at - (line == std::string::npos ? 0 : line + 1));
        if (before.find('*') != std::string::npos) return true;
        at += 9;
    }
    return false;
}

} // namespace

PrivatePipeWire::PrivatePipeWire() {
    char path[] = "/tmp/velmora-pipewire.XXXXXX"; // mkdtemp makes it 0700
    if (mkdtemp(path) != nullptr) dir_ = path;
}

PrivatePipeWire::~PrivatePipeWire() {
    Stop();
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

bool PrivatePipeWire::Start() {
    // A start that fails on a busy machine is made afresh, a few times at most.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (StartOnce()) return true;
    }
    return false;
}

bool PrivatePipeWire::StartOnce() {
    if (dir_.empty()) {
        error_ = "no runtime directory for PipeWire";
        return false;
    }
    // A session bus that listens inside the runtime directory, for wireplumber.
    std::ofstream(dir_ + "/bus.conf")
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n  <type>session</type>\n  <listen>unix:dir="
        << dir_
        << "</listen>\n  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n    <allow send_destination=\"*\" "
           "eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n</busconfig>\n";
    for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        setenv(name, dir_.c_str(), 1);
    unsetenv("PIPEWIRE_REMOTE");
    setenv("PULSE_SERVER", ("unix:" + dir_ + "/pulse/native").c_str(), 1);

    // One after the other, each once the one before answers: a session manager or a
    // PulseAudio service that comes up before PipeWire's socket fails to connect and refuses
    // every sink after (bounded waits, so a server that never answers ends the start).
    servers_ = Spawn({"dbus-run-session", "--config-file=" + dir_ + "/bus.conf", "--", "sh", "-c",
                      "ready() { i=0; until timeout 10 sh -c \"$1\" >/dev/null 2>&1; do "
                      "i=$((i+1)); [ $i -ge 300 ] && exit 1; sleep 0.1; done; }\n"
                      "pipewire & ready 'pw-cli info 0'\n"
                      "wireplumber & ready 'wpctl status | grep -q WirePlumber'\n"
                      "pipewire-pulse & wait"},
                     dir_ + "/servers.log", true);
    const auto failed = [&](const std::string& what) {
        error_ = what + " (are pipewire, pipewire-pulse and wireplumber installed?): " +
                 ReadFile(dir_ + "/servers.log");
        Stop();
        return false;
    };
    if (servers_ < 0 || !WaitUntilAnswering()) return failed("PipeWire did not start");

    if (!MakeSink()) return failed("no null sink: " + ReadFile(dir_ + "/pactl.log"));
    if (!StartRecorder())
        return failed("pw-record records nothing from the sink: " +
                      ReadFile(dir_ + "/recorder.log"));
    return true;
}

bool PrivatePipeWire::MakeSink() {
    // pipewire-pulse answers before the graph and the session manager are ready for a sink: a
    // request refused then is made again, until the session manager lists the sink as the
    // default one.
    const std::string log = dir_ + "/pactl.log";
    const std::string answer = dir_ + "/answer.txt";
    std::string tried;
    for (int i = 0; i < 300; ++i) {
        if (Ask({"wpctl", "status"}, answer) == 0 && DefaultSinkListed(ReadFile(answer)))
            return true;
        Ask({"pactl", "list", "short", "sinks"}, answer);
        if (ReadFile(answer).find("\tvelmora\t") == std::string::npos) {
            Ask({"pactl", "load-module", "module-null-sink", "sink_name=velmora",
                 "format=float32le", "rate=44100", "channels=2"},
                log);
        } else if (Ask({"pactl", "get-default-sink"}, answer) != 0 ||
                   ReadFile(answer) != "velmora\n") {
            Ask({"pactl", "set-default-sink", "velmora"}, log);
        }
        tried += ReadFile(log);
        int status = 0;
        if (waitpid(servers_, &status, WNOHANG) == servers_) {
            servers_ = -1;
            break;
        }
        Sleep(100);
    }
    std::ofstream(log) << tried;
    return false;
}

bool PrivatePipeWire::StartRecorder() {
    // Started again should it end without recording, as it does when it comes before the
    // session manager can link it.
    for (int attempt = 0; attempt < 5; ++attempt) {
        recorder_ = Spawn(RealTime({"pw-record", "--target", "velmora", "-P",
                                    "{ stream.capture.sink=true }", "--rate", "44100", "--channels",
                                    "2", "--format", "f32", dir_ + "/recording.wav"}),
                          dir_ + "/recorder.log");
        for (int i = 0; i < 200; ++i) {
            if (RecordedFrames() > 0) return true;
            int status = 0;
            if (waitpid(recorder_, &status, WNOHANG) == recorder_) {
                recorder_ = -1;
                break;
            }
            Sleep(50);
        }
        if (recorder_ > 0) return false; // running, yet nothing in ten seconds
    }
    return false;
}

bool PrivatePipeWire::WaitUntilAnswering() {
    for (int i = 0; i < 300; ++i) {
        if (Ask({"pactl", "info"}, "/dev/null") == 0) return true;
        int status = 0;
        if (waitpid(servers_, &status, WNOHANG) == servers_) {
            servers_ = -1;
            return false;
        }
        Sleep(100);
    }
    return false;
}

void PrivatePipeWire::Stop() {
    if (recorder_ > 0) {
        kill(recorder_, SIGINT);
        Reap(recorder_);
        recorder_ = -1;
    }
    if (servers_ > 0) {
        // The whole group: the bus and the servers end together, and only then is the
        // runtime directory theirs no longer.
        kill(-servers_, SIGTERM);
        Reap(servers_);
        for (int i = 0; i < 100 && kill(-servers_, 0) == 0; ++i)
            Sleep(50);
        kill(-servers_, SIGKILL);
        servers_ = -1;
    }
}

std::string PrivatePipeWire::RecordedBytes() const {
    const std::string file = ReadFile(dir_ + "/recording.wav");
    // RIFF header, then chunks of an id and a size up to "data"; a chunk is padded to even size.
    size_t at = 12;
    while (file.size() >= 12 && at <= file.size() - 8) {
        uint32_t size = 0;
        std::memcpy(&size, file.data() + at + 4, 4);
        if (file.compare(at, 4, "data") == 0) return file.substr(at + 8);
        if (size > file.size() - at - 8) break;
        at += 8 + size + (size & 1);
    }
    return {};
}

size_t PrivatePipeWire::RecordedFrames() const {
    return RecordedBytes().size() / 8;
}

std::vector<float> PrivatePipeWire::RecordedSince(size_t frame) const {
    const std::string bytes = RecordedBytes();
    const size_t frames = bytes.size() / 8;
    if (frame >= frames) return {};
    std::vector<float> out(2 * (frames - frame));
    std::memcpy(out.data(), bytes.data() + frame * 8, out.size() * sizeof(float));
    return out;
}

std::string PrivatePipeWire::Streams() const {
    const std::string file = dir_ + "/streams.txt";
    Reap(Spawn({"pactl", "list", "sink-inputs"}, file));
    return ReadFile(file);
}
