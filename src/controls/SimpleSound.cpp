// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/SimpleSound.h"

#include "framework/Exception.h"
#include "platform/ResourceModule.h"

#include <QApplication>
#include <QFile>

namespace {

TSimpleSoundPlayer& Player() {
    static TSimpleSoundPlayer player;
    return player;
}

void Play(const QByteArray& wave, TWaveOptions options) {
    if (wave.isEmpty()) {
        if (!(options & woNoDefault)) QApplication::beep();
        return;
    }
    if (Player()) Player()(wave, options);
}

} // namespace

void SetSimpleSoundPlayer(TSimpleSoundPlayer player) {
    Player() = std::move(player);
}

void PlaySoundFile(const QString& fileName, TWaveOptions options) {
    QByteArray wave;
    QFile file(fileName);
    if (!fileName.isEmpty() && file.open(QIODevice::ReadOnly)) wave = file.readAll();
    Play(wave, options);
}

void PlaySoundResource(const QString& name, const QString& type, TWaveOptions options) {
    const auto data = FindResourceData(ProgramModule(), TResourceName(name.toStdString()),
                                       TResourceName(type.toStdString()));
    if (!data || !data->Data || data->Size == 0) throw EAbort();
    Play(QByteArray(reinterpret_cast<const char*>(data->Data), static_cast<qsizetype>(data->Size)),
         options);
}
