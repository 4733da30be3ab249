// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound buffer that plays one whole wave sound, and the sound device component that
// opens the device for its form, keeps its primary buffer and reports opening, closing
// and buffer loss.

#include "framework/NotifyEvent.h"
#include "sound/DXClass.h"
#include "sound/Wave.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QEvent;
class TCustomDXSound;

VELMORA_EXCEPTION(EDXSoundError, Exception);

// One sound buffer on a device. Calls record their result in LastResult and raise
// nothing; only a missing buffer or one that cannot be made raises.
class TDirectSoundBuffer : public TDirectX {
public:
    explicit TDirectSoundBuffer(TDirectSound& device);
    ~TDirectSoundBuffer() override;
    TDirectSoundBuffer(const TDirectSoundBuffer&) = delete;
    TDirectSoundBuffer& operator=(const TDirectSoundBuffer&) = delete;

    // The platform buffer, or "%s not made" / "IDirectSoundBuffer" when there is none;
    // the static form accepts a missing buffer object as well.
    IDirectSoundBuffer& RequireBuffer();
    static IDirectSoundBuffer& RequireBuffer(TDirectSoundBuffer* buffer);
    // The object itself, or the same failure when it is missing. Callers that hold a
    // buffer that may be gone go through this.
    static TDirectSoundBuffer& Require(TDirectSoundBuffer* buffer);

    void SetBuffer(std::shared_ptr<IDirectSoundBuffer> buffer);
    bool CreateBuffer(const DSBUFFERDESC& desc);
    void CreateSecondary(const uint8_t* format, int32_t formatBytes, int32_t bytes);
    void LoadFromMemory(const uint8_t* format, int32_t formatBytes, const void* data,
                        int32_t bytes);
    void LoadFromWave(TWave& wave);
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);

    bool Play(uint32_t flags);
    bool Stop();
    void SetFrequency(int32_t rate);
    void SetPan(int32_t pan);
    void SetVolume(int32_t volume);
    bool Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1, void** region2,
              uint32_t* bytes2, uint32_t flags);
    bool Unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2);

    TDirectSound* Device() const { return device_; }
    const std::shared_ptr<IDirectSoundBuffer>& BufferInterface() const { return bufferInterface_; }

protected:
    void ResultFailed() override;

private:
    friend class TDirectSound;
    void DetachDevice() { device_ = nullptr; }
    TDirectSound& RequireDevice();

    TDirectSound* device_;
    std::shared_ptr<IDirectSoundBuffer> bufferInterface_;
};

// The device that the component opens; it passes buffer losses on to the component.
class TDXSoundDirectSound : public TDirectSound {
public:
    using TDirectSound::TDirectSound;
    TCustomDXSound* SoundComponent = nullptr;

protected:
    void BufferLost() override;
};

enum TDXSoundOption : uint8_t { soGlobalFocus, soStickyFocus, soExclusive, soWritePrimary };

// A set of options, one bit each in declaration order.
class TDXSoundOptions {
public:
    constexpr TDXSoundOptions() = default;
    constexpr TDXSoundOptions(std::initializer_list<TDXSoundOption> options) {
        for (auto o : options)
            bits_ |= static_cast<uint8_t>(1u << o);
    }
    static constexpr TDXSoundOptions FromBits(uint8_t bits) {
        TDXSoundOptions s;
        s.bits_ = bits & 0x0F;
        return s;
    }
    constexpr bool Contains(TDXSoundOption o) const { return (bits_ >> o) & 1u; }
    constexpr uint8_t Bits() const { return bits_; }
    constexpr bool operator==(const TDXSoundOptions&) const = default;

private:
    uint8_t bits_ = 0;
};

// Hooks a window control's events: every event goes to the handler before the control's
// own handling, which always runs. Removing the hook gives the control back its own.
class TControlSubClass {
public:
    using THandler = std::function<void(QEvent* event)>;

    TControlSubClass(QWidget* control, THandler handler);
    ~TControlSubClass();
    TControlSubClass(const TControlSubClass&) = delete;
    TControlSubClass& operator=(const TControlSubClass&) = delete;

    QWidget* Control() const { return control_; }

private:
    class Filter;
    QPointer<QWidget> control_;
    THandler handler_;
    std::unique_ptr<Filter> filter_;
};

// The sound device component of a form.
class TCustomDXSound : public QObject {
public:
    explicit TCustomDXSound(QObject* owner);
    ~TCustomDXSound() override;

    // Called when the form's stored properties have been read: opens the device when
    // AutoInitialize is on, and quietly stays closed if that fails.
    virtual void Loaded();
    void Initialize();
    void Finalize();

    bool AutoInitialize = true;
    TNotifyEvent OnFinalize, OnInitialize, OnInitializing, OnRestore;

    TDXSoundOptions Options() const { return options_; }
    void SetOptions(TDXSoundOptions options);
    TDXSoundOptions ActiveOptions() const { return activeOptions_; }

    TDXSoundDirectSound* Device() const { return device_.get(); }
    TDirectSoundBuffer* PrimaryBuffer() const { return primaryBuffer_.get(); }
    TControlSubClass* WindowHook() const { return windowHook_.get(); }
    QWidget* HostForm() const { return hostForm_; }
    bool Ready() const { return ready_; }
    bool Initialized() const { return initialized_; }
    const SoundDeviceId* DriverId = nullptr;

    // Fires OnRestore when the device is ready.
    void NotifyRestore();

protected:
    virtual void FireFinalize();
    virtual void FireInitialize();
    virtual void FireInitializing();
    virtual void FireRestore();

private:
    QWidget* FindForm() const;
    void SetHostForm(QWidget* form);
    void WindowEvent(QEvent* event);
    void FinishClosing();

    bool initializeCalled_ = false;
    std::unique_ptr<TDXSoundDirectSound> device_;
    QPointer<QWidget> hostForm_;
    bool ready_ = false;
    bool initialized_ = false;
    TDXSoundOptions activeOptions_;
    TDXSoundOptions options_;
    std::unique_ptr<TDirectSoundBuffer> primaryBuffer_;
    std::unique_ptr<TControlSubClass> windowHook_;
};

class TDXSound : public TCustomDXSound {
public:
    using TCustomDXSound::TCustomDXSound;
};
