// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/DXClass.h"

#include "sound/DXSounds.h"

#include <algorithm>

using DirectSoundCreateProc = HRESULT (*)(const SoundDeviceId*, std::shared_ptr<IDirectSound>*,
                                          void*);

void TDirectX::SetResult(HRESULT result) {
    lastResult_ = result;
    if (result != DS_OK) ResultFailed();
}

TDirectSound::TDirectSound(const SoundDeviceId* driverId) {
    auto create =
        reinterpret_cast<DirectSoundCreateProc>(DXLoadLibrary("DSound.dll", "DirectSoundCreate"));
    std::shared_ptr<IDirectSound> device;
    if (create(driverId, &device, nullptr) == DS_OK) soundInterface_ = std::move(device);
    if (!soundInterface_) throw EDirectSoundError(Msg::CannotBeInitialized, {"DirectSound"});
}

TDirectSound::~TDirectSound() {
    // Buffers still alive must not reach back into a device that is gone.
    for (TDirectSoundBuffer* buffer : bufferList_)
        buffer->DetachDevice();
    bufferList_.clear();
    soundInterface_.reset();
}

IDirectSound& TDirectSound::RequireSound() {
    if (!soundInterface_) throw EDirectSoundError(Msg::NotMade, {"IDirectSound"});
    return *soundInterface_;
}

void TDirectSound::AddBuffer(TDirectSoundBuffer* buffer) {
    bufferList_.push_back(buffer);
}

void TDirectSound::RemoveBuffer(TDirectSoundBuffer* buffer) {
    std::erase(bufferList_, buffer);
}

void TDirectSound::HandleBufferLoss(TDirectX& buffer) {
    if (buffer.LastResult() != DSERR_BUFFERLOST || handlingLoss_) return;
    handlingLoss_ = true;
    try {
        BufferLost();
    } catch (...) {
        handlingLoss_ = false;
        throw;
    }
    handlingLoss_ = false;
}
