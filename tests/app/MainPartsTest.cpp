// SPDX-License-Identifier: GPL-3.0-or-later
// The window's parts that are not widgets, the tone and the flash check: each has one owner,
// the window's pointer, and goes once, before the menus and controls it refers to.
#include "MainWindowFixture.h"

#include "app/mainFlash.h"
#include "app/mainTone.h"

#include <QMenu>

#include <string>
#include <vector>

TEST_F(MainWindowTest, TheToneAndTheFlashCheckHaveOneOwnerAndGoBeforeTheMenus) {
    auto form = Open();
    ASSERT_NE(form->Tone(), nullptr);
    ASSERT_NE(form->Flash(), nullptr);
    // Not also children of the window, which would free them a second time.
    EXPECT_TRUE(form->findChildren<TMainTone*>().isEmpty());
    EXPECT_TRUE(form->findChildren<TMainFlash*>().isEmpty());
    std::vector<std::string> gone;
    auto record = [&gone](QObject* object, const char* name) {
        QObject::connect(object, &QObject::destroyed, [&gone, name] { gone.push_back(name); });
    };
    record(form->Tone(), "tone");
    record(form->Flash(), "flash");
    record(form->PopupMenu1, "menu");
    Close(form);
    EXPECT_EQ(gone, (std::vector<std::string>{"tone", "flash", "menu"}));
}
