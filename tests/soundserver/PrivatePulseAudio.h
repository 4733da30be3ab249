// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A PulseAudio server of the test's own: a null sink at 44.1 kHz in a fresh runtime
// directory, started and stopped by the test and reached only through PULSE_SERVER, so a
// user's own server is never touched. A recorder on the sink's monitor runs from the start;
// besides giving the test what was played, it keeps the null sink working in small pieces.

#include <string>
#include <sys/types.h>
#include <vector>

// Starts a program with the given arguments and the current environment; stdout goes to
// the file when one is named. Answers the process id, or -1.
pid_t Spawn(const std::vector<std::string>& args, const std::string& stdoutFile = {});
// Waits for the process and answers its exit status, or -1 when it did not exit normally.
int Reap(pid_t pid);
// Runs a program to its end and answers its exit status.
int RunToEnd(const std::vector<std::string>& args, const std::string& stdoutFile = {});

class PrivatePulseAudio {
public:
    PrivatePulseAudio();
    ~PrivatePulseAudio();

    // Starts the server and the recorder; on failure Error() says why.
    bool Start();
    void Stop();
    const std::string& Error() const { return error_; }
    const std::string& Dir() const { return dir_; }

    // Bytes recorded so far; the recording is interleaved stereo 32-bit float.
    size_t RecordedBytes() const;
    // The stereo frames recorded from byte offset on.
    std::vector<float> RecordedSince(size_t offset) const;

private:
    bool WaitUntilAnswering();
    bool StartRecorder();

    std::string dir_;
    std::string error_;
    pid_t server_ = -1;
    pid_t recorder_ = -1;
};
