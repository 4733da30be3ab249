// SPDX-License-Identifier: GPL-3.0-or-later
// The sound device component on a form: opening, closing, events, options and the window
// hook. These tests need an application object; this binary has no other use for one, so
// the first of them makes it on the offscreen platform and keeps it for the process.

#include "SoundTestSupport.h"
#include "sound/DXSounds.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>

using namespace soundtest;

namespace {

// A form whose native window can be destroyed and made again.
class HostForm : public QWidget {
public:
    using QWidget::create;
    using QWidget::destroy;
};

class DXSoundTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "test_sound";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv); // lives until the process ends
        }
    }

    void TearDown() override {
        // Handlers may hold the test's locals, which are gone by now.
        for (const QPointer<TDXSound>& sound : sounds) {
            if (sound.isNull()) continue;
            sound->OnFinalize = sound->OnInitialize = sound->OnInitializing = sound->OnRestore =
                nullptr;
            delete sound.data();
        }
    }

    OfflineOutput offline;
    std::vector<std::string> events;
    std::vector<QPointer<TDXSound>> sounds;
    HostForm form;

    // A component on the form that records its events.
    TDXSound* MakeSound(QObject* owner) {
        auto* sound = new TDXSound(owner);
        sound->OnInitializing = [this](QObject*) { events.push_back("initializing"); };
        sound->OnInitialize = [this](QObject*) { events.push_back("initialize"); };
        sound->OnRestore = [this](QObject*) { events.push_back("restore"); };
        sound->OnFinalize = [this](QObject*) { events.push_back("finalize"); };
        sounds.push_back(sound);
        return sound;
    }
};

using Events = std::vector<std::string>;

} // namespace

TEST_F(DXSoundTest, OpeningFiresItsEventsInOrderAndTiesTheDeviceToTheForm) {
    TDXSound* sound = MakeSound(&form);
    EXPECT_TRUE(sound->AutoInitialize);
    sound->Initialize();
    EXPECT_EQ(events, (Events{"initializing", "initialize", "restore"}));
    ASSERT_TRUE(sound->Ready());
    ASSERT_NE(sound->Device(), nullptr);
    EXPECT_EQ(sound->HostForm(), &form);
    EXPECT_TRUE(sound->PrimaryBuffer()->BufferInterface()->IsPrimary());
    IDirectSound& device = sound->Device()->RequireSound();
    EXPECT_EQ(device.CooperativeWindow(), static_cast<uintptr_t>(form.winId()));
    EXPECT_EQ(device.CooperativeLevel(), DSSCL_NORMAL);
    EXPECT_EQ(sound->Device()->BufferList().size(), 1u); // the primary buffer
}

TEST_F(DXSoundTest, OpeningAgainClosesFirstAndGivesANewDevice) {
    TDXSound* sound = MakeSound(&form);
    TDirectSoundBuffer* made = nullptr;
    sound->OnFinalize = [&](QObject* sender) {
        events.push_back("finalize");
        EXPECT_EQ(sender, sound);
        ASSERT_NE(sound->Device(), nullptr); // buffers can still be freed on it
        delete made;
        made = nullptr;
    };
    sound->Initialize();
    made = new TDirectSoundBuffer(*sound->Device());
    TMemoryStream stream(Wave16(1, 8000, {1, 2, 3}));
    made->LoadFromStream(stream);
    events.clear();
    sound->Initialize();
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(events, (Events{"finalize", "initializing", "initialize", "restore"}));
    events.clear();
    sound->Finalize();
    EXPECT_EQ(events, (Events{"finalize"}));
    EXPECT_EQ(sound->Device(), nullptr);
    EXPECT_EQ(sound->PrimaryBuffer(), nullptr);
    EXPECT_EQ(sound->WindowHook(), nullptr);
    events.clear();
    sound->Finalize(); // closed: nothing happens
    EXPECT_TRUE(events.empty());
}

TEST_F(DXSoundTest, AComponentWithoutAFormIsRefusedBeforeAnyEvent) {
    QObject owner;
    TDXSound* sound = MakeSound(&owner);
    EXPECT_EQ(Failure<EDXSoundError>([&] { sound->Initialize(); }), "Form not found");
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(sound->Initialized());
    sound->Loaded(); // the same failure, quietly
    EXPECT_FALSE(sound->Initialized());
}

TEST_F(DXSoundTest, WithoutASoundDeviceOpeningFailsAndLeavesItClosed) {
    TDXSound* sound = MakeSound(&form);
    SetSoundOutputChoice(SoundOutputChoice::Unavailable);
    sound->Loaded();
    EXPECT_FALSE(sound->Initialized());
    EXPECT_EQ(Failure<EDirectSoundError>([&] { sound->Initialize(); }),
              "DirectSound cannot be initialized");
    EXPECT_FALSE(sound->Initialized());
    EXPECT_EQ(sound->Device(), nullptr);
    EXPECT_EQ(events, (Events{"initializing", "initializing"})); // no finalize without initialize
}

TEST_F(DXSoundTest, WithoutTheSoundLibraryOpeningFailsWithNotLoaded) {
    TDXSound* sound = MakeSound(&form);
    DXFreeLibraries();
    SetBuiltInLibraryAvailable("DSOUND.DLL", false);
    const std::string message = Failure<Exception>([&] { sound->Initialize(); });
    SetBuiltInLibraryAvailable("dsound.dll", true);
    EXPECT_EQ(message, "DSound.dll not loaded");
    EXPECT_EQ(sound->Device(), nullptr);
    sound->Initialize();
    EXPECT_TRUE(sound->Ready());
}

TEST_F(DXSoundTest, TheLoaderKeepsALibraryOnceLoadedUnderItsLowerCaseName) {
    DXFreeLibraries();
    const int before = BuiltInLibraryLoadCount();
    EXPECT_NE(DXLoadLibrary("DSound.dll", "DirectSoundCreate"), nullptr);
    EXPECT_NE(DXLoadLibrary("dsound.DLL", "DirectSoundCreate"), nullptr);
    EXPECT_EQ(BuiltInLibraryLoadCount(), before + 1);
    EXPECT_EQ(Failure<Exception>([] { DXLoadLibrary("DSound.dll", "DirectSoundMake"); }),
              "DSound.dll not loaded");
    EXPECT_EQ(Failure<Exception>([] { DXLoadLibrary("Other.dll", "DirectSoundCreate"); }),
              "Other.dll not loaded");
}

TEST_F(DXSoundTest, CooperativeLevelOptionsTakeEffectAtTheNextOpening) {
    TDXSound* sound = MakeSound(&form);
    sound->Initialize();
    sound->SetOptions({soExclusive});
    EXPECT_FALSE(sound->ActiveOptions().Contains(soExclusive));
    EXPECT_EQ(sound->Device()->RequireSound().CooperativeLevel(), DSSCL_NORMAL);
    sound->Initialize();
    EXPECT_TRUE(sound->ActiveOptions().Contains(soExclusive));
    EXPECT_EQ(sound->Device()->RequireSound().CooperativeLevel(), DSSCL_EXCLUSIVE);
    sound->SetOptions({soWritePrimary, soExclusive});
    sound->Initialize();
    EXPECT_EQ(sound->Device()->RequireSound().CooperativeLevel(), DSSCL_WRITEPRIMARY);
}

TEST_F(DXSoundTest, FocusOptionsApplyToBuffersMadeAfterwards) {
    TDXSound* sound = MakeSound(&form);
    sound->Initialize();
    TMemoryStream stream(Wave16(1, 8000, {1, 2, 3}));
    TDirectSoundBuffer before(*sound->Device());
    before.LoadFromStream(stream);
    sound->SetOptions({soGlobalFocus});
    EXPECT_TRUE(sound->ActiveOptions().Contains(soGlobalFocus));
    TDirectSoundBuffer after(*sound->Device());
    stream.SetPosition(0);
    after.LoadFromStream(stream);
    EXPECT_EQ(before.BufferInterface()->Flags(), 0xE0u);
    EXPECT_EQ(after.BufferInterface()->Flags(), 0x80E0u);
    sound->SetOptions({soGlobalFocus, soStickyFocus});
    stream.SetPosition(0);
    after.LoadFromStream(stream);
    EXPECT_EQ(after.BufferInterface()->Flags(), 0x40E0u);
    sound->OnFinalize = nullptr;
}

TEST_F(DXSoundTest, ANewNativeWindowGetsTheCooperativeLevelAgain) {
    TDXSound* sound = MakeSound(&form);
    sound->Initialize();
    // Kept beyond the closing below, to see that nothing reaches it any more.
    const std::shared_ptr<IDirectSound> kept = sound->Device()->SoundInterface();
    IDirectSound& device = *kept;
    const uintptr_t first = device.CooperativeWindow();
    ASSERT_NE(first, 0u);
    form.destroy();
    form.create();
    const auto second = static_cast<uintptr_t>(form.winId());
    ASSERT_NE(second, first);
    EXPECT_EQ(device.CooperativeWindow(), second);
    EXPECT_NE(sound->WindowHook(), nullptr);
    // Once closed, the hook is gone and a new window changes nothing.
    sound->Finalize();
    form.destroy();
    form.create();
    EXPECT_EQ(device.CooperativeWindow(), second);
}

TEST_F(DXSoundTest, ALostBufferFiresRestoreOnceEvenWhenLostAgainInTheHandler) {
    TDXSound* sound = MakeSound(&form);
    sound->Initialize();
    TDirectSoundBuffer buffer(*sound->Device());
    TMemoryStream stream(Wave16(1, 8000, {1, 2, 3}));
    buffer.LoadFromStream(stream);
    buffer.BufferInterface()->TakeMemoryAwayForTest();
    events.clear();
    sound->OnRestore = [&](QObject*) {
        events.push_back("restore");
        buffer.Play(DSBPLAY_LOOPING);
    };
    EXPECT_FALSE(buffer.Play(DSBPLAY_LOOPING));
    EXPECT_EQ(events, (Events{"restore"}));
    sound->OnFinalize = nullptr;
}

TEST_F(DXSoundTest, AFailingFinalizeHandlerStillClosesTheDevice) {
    TDXSound* sound = MakeSound(&form);
    sound->Initialize();
    sound->OnFinalize = [](QObject*) { throw Exception("handler failed"); };
    EXPECT_EQ(Failure<Exception>([&] { sound->Finalize(); }), "handler failed");
    EXPECT_FALSE(sound->Initialized());
    EXPECT_EQ(sound->Device(), nullptr);
    EXPECT_EQ(sound->PrimaryBuffer(), nullptr);
}
