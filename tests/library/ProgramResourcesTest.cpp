// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own resources through the module interface: built-in .bmp files are served
// as bitmap resources (packed, without the file header), names found without regard to case.

#include "framework/Exception.h"
#include "framework/ResourceStream.h"
#include "platform/ResourceModule.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(ProgramResources, BuiltInBitmapsAreBitmapResources) {
    QFile file(QStringLiteral(":/resources/Startup.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the program's images are built in";
    const QByteArray whole = file.readAll();
    ASSERT_GT(whole.size(), 54);
    const auto found = FindResourceData(ProgramModule(), "STARTUP", RT_BITMAP);
    ASSERT_TRUE(found);
    EXPECT_EQ(
        QByteArray(reinterpret_cast<const char*>(found->Data), static_cast<qsizetype>(found->Size)),
        whole.mid(14));

    TResourceStream stream(ProgramModule(), "Stopover", RT_BITMAP);
    uint8_t headerSize = 0;
    stream.ReadBuffer(&headerSize, 1);
    EXPECT_EQ(headerSize, 40);
}

TEST(ProgramResources, OtherTypesAndMissingNamesAreNotFound) {
    EXPECT_FALSE(FindResourceData(ProgramModule(), "Startup", RT_ICON));
    EXPECT_FALSE(FindResourceData(ProgramModule(), "Startup", "WAV"));
    EXPECT_FALSE(FindResourceData(ProgramModule(), "Start", RT_BITMAP));
    EXPECT_FALSE(FindResourceData(ProgramModule(), uint16_t{1}, RT_BITMAP));
    EXPECT_THROW(TResourceStream(ProgramModule(), "Picturez", "TEXT"), EResNotFound);
    EXPECT_TRUE(ListResources(ProgramModule()).Entries.empty());
    EXPECT_TRUE(FreeResourceModule(ProgramModule())) << "the program's module stays";
    EXPECT_TRUE(FindResourceData(ProgramModule(), "startup", RT_BITMAP));
}
