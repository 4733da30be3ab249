// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Result codes, flags and records of the sound output. Results are 32-bit codes: 0 is
// success, anything else a refusal that leaves the object as it was.

#include <cstdint>

using HRESULT = int32_t;

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);

// Cooperative levels.
constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSSCL_PRIORITY = 2;
constexpr uint32_t DSSCL_EXCLUSIVE = 3;
constexpr uint32_t DSSCL_WRITEPRIMARY = 4;

// Buffer description flags.
constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x40;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x80;
constexpr uint32_t DSBCAPS_STICKYFOCUS = 0x4000;
constexpr uint32_t DSBCAPS_GLOBALFOCUS = 0x8000;

// Play and lock flags.
constexpr uint32_t DSBPLAY_LOOPING = 0x1;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x2;

// Status bits.
constexpr uint32_t DSBSTATUS_PLAYING = 0x1;
constexpr uint32_t DSBSTATUS_BUFFERLOST = 0x2;
constexpr uint32_t DSBSTATUS_LOOPING = 0x4;

// Setting ranges.
constexpr uint32_t DSBFREQUENCY_MIN = 100;
constexpr uint32_t DSBFREQUENCY_MAX = 100000;
constexpr int32_t DSBPAN_LEFT = -10000;
constexpr int32_t DSBPAN_RIGHT = 10000;
constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;

// Tone modes and the ranges of the tone's frequencies, in thousandths of a hertz.
constexpr uint32_t DSTONE_OFF = 0;
constexpr uint32_t DSTONE_BINAURAL = 1;
constexpr uint32_t DSTONE_ISOCHRONIC = 2;
constexpr uint32_t DSTONE_CARRIER_MIN = 20000;
constexpr uint32_t DSTONE_CARRIER_MAX = 20000000;
constexpr uint32_t DSTONE_BEAT_MAX = 100000;

// The largest sound buffer accepted, in bytes.
constexpr uint32_t DSBSIZE_MAX = 0x0FFFFFFF;

// The published size of the buffer description record; dwSize must hold it.
constexpr uint32_t DSBUFFERDESC_SIZE = 20;

// A buffer description. The format is a wave format block (WAVEFORMATEX and what follows
// it) of formatBytes bytes; the length travels with the pointer so that a short block is
// never read past its end.
struct DSBUFFERDESC {
    uint32_t dwSize = 0;
    uint32_t dwFlags = 0;
    uint32_t dwBufferBytes = 0;
    uint32_t dwReserved = 0;
    const void* lpwfxFormat = nullptr;
    uint32_t formatBytes = 0;
};

// Identifies a sound device; none means the default device.
struct SoundDeviceId {
    uint8_t bytes[16] = {};
};
