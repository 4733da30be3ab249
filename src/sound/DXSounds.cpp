// SPDX-License-Identifier: GPL-3.0-or-later
// The sound device component: opening and closing the device for its form.

#include "sound/DXSounds.h"

#include "framework/Application.h"

#include <QEvent>
#include <QWidget>

void TDXSoundDirectSound::BufferLost() {
    TDirectSound::BufferLost();
    if (SoundComponent != nullptr) SoundComponent->NotifyRestore();
}

TCustomDXSound::TCustomDXSound(QObject* owner) : QObject(owner) {}

TCustomDXSound::~TCustomDXSound() {
    // A failing OnFinalize handler still lets everything close; its failure is reported.
    Guard([this] { Finalize(); });
}

void TCustomDXSound::Loaded() {
    if (!AutoInitialize) return;
    try {
        Initialize();
    } catch (...) {
        // Opening while the form loads is a try; the form opens the device again itself.
    }
}

QWidget* TCustomDXSound::FindForm() const {
    for (QObject* o = parent(); o != nullptr; o = o->parent()) {
        auto* widget = qobject_cast<QWidget*>(o);
        if (widget != nullptr && widget->isWindow()) return widget;
    }
    return nullptr;
}

void TCustomDXSound::Initialize() {
    Finalize();
    QWidget* form = FindForm();
    if (form == nullptr) throw EDXSoundError(Msg::FormNotFound);
    FireInitializing();
    initialized_ = true;
    try {
        device_ = std::make_unique<TDXSoundDirectSound>(DriverId);
        device_->SoundComponent = this;
        device_->GlobalFocus = activeOptions_.Contains(soGlobalFocus);
        primaryBuffer_ = std::make_unique<TDirectSoundBuffer>(*device_);
        DSBUFFERDESC desc{};
        desc.dwSize = DSBUFFERDESC_SIZE;
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
        if (!primaryBuffer_->CreateBuffer(desc)) {
            throw EDXSoundError(Msg::CannotBeMade, {"Primary Buffer"});
        }
        ready_ = true;
        SetHostForm(form);
    } catch (...) {
        Finalize();
        throw;
    }
    initializeCalled_ = true;
    FireInitialize();
    NotifyRestore();
}

void TCustomDXSound::Finalize() {
    if (!initialized_) return;
    try {
        windowHook_.reset();
        if (initializeCalled_) {
            initializeCalled_ = false;
            FireFinalize();
        }
    } catch (...) {
        FinishClosing();
        throw;
    }
    FinishClosing();
}

void TCustomDXSound::FinishClosing() {
    ready_ = false;
    initialized_ = false;
    SetOptions(options_);
    primaryBuffer_.reset();
    device_.reset();
}

void TCustomDXSound::SetOptions(TDXSoundOptions options) {
    options_ = options;
    if (ready_) {
        // The cooperative level options keep the state they had when the device opened.
        uint8_t bits = options.Bits() & TDXSoundOptions{soGlobalFocus, soStickyFocus}.Bits();
        bits = static_cast<uint8_t>(
            bits | (activeOptions_.Bits() & TDXSoundOptions{soExclusive, soWritePrimary}.Bits()));
        activeOptions_ = TDXSoundOptions::FromBits(bits);
        device_->GlobalFocus = activeOptions_.Contains(soGlobalFocus);
        device_->StickyFocus = activeOptions_.Contains(soStickyFocus);
    } else {
        activeOptions_ = options;
    }
}

void TCustomDXSound::SetHostForm(QWidget* form) {
    hostForm_ = form;
    windowHook_.reset();
    windowHook_ = std::make_unique<TControlSubClass>(form, [this](QEvent* e) { WindowEvent(e); });
    if (!ready_) return;
    uint32_t level = DSSCL_NORMAL;
    if (activeOptions_.Contains(soWritePrimary)) {
        level = DSSCL_WRITEPRIMARY;
    } else if (activeOptions_.Contains(soExclusive)) {
        level = DSSCL_EXCLUSIVE;
    }
    const auto window = static_cast<uintptr_t>(form->winId());
    device_->SetResult(device_->RequireSound().SetCooperativeLevel(window, level));
}

void TCustomDXSound::WindowEvent(QEvent* event) {
    // A new native window for the form: tie the device to the new handle. The event
    // arrives once the window exists; the one for its destruction carries no window.
    if (event->type() != QEvent::WinIdChange || hostForm_ == nullptr) return;
    if (hostForm_->internalWinId() == 0) return;
    SetHostForm(hostForm_);
}

void TCustomDXSound::NotifyRestore() {
    if (ready_) FireRestore();
}

void TCustomDXSound::FireFinalize() {
    if (OnFinalize) OnFinalize(this);
}
void TCustomDXSound::FireInitialize() {
    if (OnInitialize) OnInitialize(this);
}
void TCustomDXSound::FireInitializing() {
    if (OnInitializing) OnInitializing(this);
}
void TCustomDXSound::FireRestore() {
    if (OnRestore) OnRestore(this);
}
