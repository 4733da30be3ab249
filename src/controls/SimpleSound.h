// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simple sound playback a control may use for its feedback sounds: a wave file by name
// or a wave resource of the program itself, with the platform's playback flags.

#include <QByteArray>
#include <QString>

#include <functional>

enum TWaveOption : unsigned {
    woSync = 1,      // wait until the sound has played
    woNoDefault = 2, // play nothing, rather than the default sound, when the sound is missing
    woLoop = 4,      // repeat until the next sound
    woNoStop = 8,    // leave a sound that is already playing alone
};
using TWaveOptions = unsigned;

// Whoever owns a sound output installs the player; it gets the whole wave file image.
// Without a player nothing is played, except the system beep where the default sound is due.
using TSimpleSoundPlayer = std::function<void(const QByteArray& wave, TWaveOptions options)>;
void SetSimpleSoundPlayer(TSimpleSoundPlayer player);

// Plays a wave file; a missing or unreadable file gives the default sound unless woNoDefault.
void PlaySoundFile(const QString& fileName, TWaveOptions options);

// Plays the program's own resource of the given name and type. When it cannot be found the
// playback is abandoned with the silent abort.
void PlaySoundResource(const QString& name, const QString& type, TWaveOptions options);
