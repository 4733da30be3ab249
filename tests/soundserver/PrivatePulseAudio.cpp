// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrivatePulseAudio.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The recorder at a real-time priority where the system grants one: at an ordinary one a busy
// machine lets it fall behind, the server then drops what it could not hand over, and the
// recording has jumps the program never played.
std::vector<std::string> RealTime(std::vector<std::string> args) {
    static const bool granted = RunToEnd({"chrt", "-f", "10", "true"}) == 0;
    if (granted) args.insert(args.begin(), {"chrt", "-f", "10"});
    return args;
}

void Terminate(pid_t& pid, int signal) {
    if (pid <= 0) return;
    kill(pid, signal);
    Reap(pid);
    pid = -1;
}

} // namespace

pid_t Spawn(const std::vector<std::string>& args, const std::string& stdoutFile) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

int Reap(pid_t pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunToEnd(const std::vector<std::string>& args, const std::string& stdoutFile) {
    return Reap(Spawn(args, stdoutFile));
}

PrivatePulseAudio::PrivatePulseAudio() {
    char path[] = "/tmp/velmora-pulse.XXXXXX";
    if (mkdtemp(path) != nullptr) dir_ = path;
}

PrivatePulseAudio::~PrivatePulseAudio() {
    Stop();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

bool PrivatePulseAudio::Start() {
    if (dir_.empty()) {
        error_ = "no temporary directory for the sound server";
        return false;
    }
    const std::string socket = dir_ + "/native";
    std::ofstream(dir_ + "/server.pa")
        << "load-module module-null-sink sink_name=velmora format=float32le rate=44100 "
           "channels=2\n"
        << "set-default-sink velmora\n"
        << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << socket << "\n";
    // Everything the server and its clients keep lives in the test's directory.
    setenv("HOME", dir_.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    setenv("PULSE_RUNTIME_PATH", dir_.c_str(), 1);
    setenv("PULSE_STATE_PATH", dir_.c_str(), 1);
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    const std::string log = dir_ + "/server.log";
    // The server's messages go to its log; stdout is taken over for that.
    server_ = Spawn({"sh", "-c",
                     "exec pulseaudio --daemonize=no --system=no -n -F \"$0/server.pa\" "
                     "--exit-idle-time=-1 --log-target=stderr 2>&1",
                     dir_},
                    log);
    if (server_ < 0 || !WaitUntilAnswering()) {
        error_ = "pulseaudio could not be started (is the pulseaudio package installed?): " +
                 ReadFile(log);
        Stop();
        return false;
    }
    if (!StartRecorder()) {
        error_ = "parec records nothing from the sink's monitor";
        Stop();
        return false;
    }
    return true;
}

bool PrivatePulseAudio::StartRecorder() {
    // Started again should it end without recording; a recorder that runs but records nothing
    // for ten seconds is given up.
    for (int attempt = 0; attempt < 5; ++attempt) {
        recorder_ = Spawn(RealTime({"parec", "-d", "velmora.monitor", "--raw", "--format=float32le",
                                    "--rate=44100", "--channels=2", "--latency-msec=5"}),
                          dir_ + "/recording.raw");
        for (int i = 0; i < 200; ++i) {
            if (RecordedBytes() > 0) return true;
            int status = 0;
            if (waitpid(recorder_, &status, WNOHANG) == recorder_) {
                recorder_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (recorder_ > 0) return false;
    }
    return false;
}

bool PrivatePulseAudio::WaitUntilAnswering() {
    // Answering, with the sink of its configuration as the default one. Each question is
    // bounded: a client can wait long on a server still starting on a busy machine.
    const std::string answer = dir_ + "/answer.txt";
    for (int i = 0; i < 300; ++i) {
        if (RunToEnd({"sh", "-c", "exec timeout 10 pactl get-default-sink 2>/dev/null"}, answer) ==
                0 &&
            ReadFile(answer) == "velmora\n")
            return true;
        int status = 0;
        if (waitpid(server_, &status, WNOHANG) == server_) {
            server_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void PrivatePulseAudio::Stop() {
    Terminate(recorder_, SIGINT);
    Terminate(server_, SIGTERM);
}

size_t PrivatePulseAudio::RecordedBytes() const {
    struct stat st {};
    return stat((dir_ + "/recording.raw").c_str(), &st) == 0 ? size_t(st.st_size) : 0;
}

std::vector<float> PrivatePulseAudio::RecordedSince(size_t offset) const {
    const std::string bytes = ReadFile(dir_ + "/recording.raw");
    offset -= offset % 8; // whole frames only
    if (offset > bytes.size()) return {};
    const size_t frames = (bytes.size() - offset) / 8;
    std::vector<float> out(2 * frames);
    std::memcpy(out.data(), bytes.data() + offset, frames * 8);
    return out;
}
