// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wrappers of the sound output's objects: the common base that records the result of
// every call, the sound device, and the loader that finds the sound library's functions.

#include "audio/BuiltInLibraries.h"
#include "audio/SoundDevice.h"
#include "framework/Exception.h"

#include <memory>
#include <string>
#include <vector>

VELMORA_EXCEPTION(EDirectXError, Exception);
VELMORA_EXCEPTION(EDirectSoundError, EDirectXError);
VELMORA_EXCEPTION(EDirectSoundBufferError, EDirectSoundError);

class TDirectSoundBuffer;

// Records the result code of the last call made on an object; a failure runs
// ResultFailed and raises nothing.
class TDirectX {
public:
    virtual ~TDirectX() = default;

    HRESULT LastResult() const { return lastResult_; }
    void SetResult(HRESULT result);

protected:
    virtual void ResultFailed() {}

    HRESULT lastResult_ = DS_OK;
};

// One sound device and the buffers made on it.
class TDirectSound : public TDirectX {
public:
    // Opens the device through "DirectSoundCreate" of "DSound.dll"; raises
    // "%s cannot be initialized" when the device cannot be had.
    explicit TDirectSound(const SoundDeviceId* driverId);
    ~TDirectSound() override;
    TDirectSound(const TDirectSound&) = delete;
    TDirectSound& operator=(const TDirectSound&) = delete;

    // The device object, or "%s not made" / "IDirectSound" when there is none.
    IDirectSound& RequireSound();
    const std::shared_ptr<IDirectSound>& SoundInterface() const { return soundInterface_; }

    // The buffers made on this device, in order of creation; they add and remove
    // themselves.
    const std::vector<TDirectSoundBuffer*>& BufferList() const { return bufferList_; }
    void AddBuffer(TDirectSoundBuffer* buffer);
    void RemoveBuffer(TDirectSoundBuffer* buffer);

    bool GlobalFocus = false;
    bool StickyFocus = false;

    // Called by a buffer whose call failed: a lost buffer is reported through BufferLost,
    // but never from within the handling of another loss.
    void HandleBufferLoss(TDirectX& buffer);
    bool HandlingLoss() const { return handlingLoss_; }

protected:
    virtual void BufferLost() {}

private:
    std::vector<TDirectSoundBuffer*> bufferList_;
    std::shared_ptr<IDirectSound> soundInterface_;
    bool handlingLoss_ = false;
};

// Finds a function of a library by name; the library is loaded once and kept until the
// program ends. Raises "%s not loaded" with the library name when either is missing.
LibraryProc DXLoadLibrary(const std::string& libraryName, const std::string& functionName);
// Unloads every cached library; done by itself when the program ends.
void DXFreeLibraries();
