// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PipeWire as a desktop runs it, of the test's own: pipewire, wireplumber and pipewire-pulse on
// a private session bus, everything they keep in a fresh 0700 runtime directory, a null sink
// "velmora" at 44.1 kHz made the default, and pw-record recording what the sink plays from the
// start. Clients of this process reach it through XDG_RUNTIME_DIR (PipeWire) and PULSE_SERVER
// (its PulseAudio service); a user's own servers are never touched.

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

class PrivatePipeWire {
public:
    PrivatePipeWire();
    ~PrivatePipeWire();

    // Starts the servers, the sink and the recorder; on failure Error() says why.
    bool Start();
    void Stop();
    const std::string& Error() const { return error_; }

    // Stereo frames recorded so far, and the interleaved float samples from a frame on.
    size_t RecordedFrames() const;
    std::vector<float> RecordedSince(size_t frame) const;
    // The playback streams the servers know, as pactl lists them.
    std::string Streams() const;

private:
    bool StartOnce();
    bool WaitUntilAnswering();
    bool MakeSink();
    bool StartRecorder();
    // The recording's samples: the bytes after the WAV file's data chunk header.
    std::string RecordedBytes() const;

    std::string dir_;
    std::string error_;
    pid_t servers_ = -1; // leads a process group of the bus and the three servers
    pid_t recorder_ = -1;
};
