// SPDX-License-Identifier: GPL-3.0-or-later
// The window's parts that are not widgets, the tone and the flash check: each has one owner,
// the window's pointer, and goes once, before the menus and controls it refers to. The
// right-click menu as the manual page describes it.
#include "MainWindowFixture.h"

#include "app/mainFlash.h"
#include "app/mainTone.h"

#include <QAction>
#include <QFile>
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

TEST_F(MainWindowTest, TheManualPageNamesEveryItemOfTheRightClickMenu) {
    QFile page(QStringLiteral(VELMORA_SOURCE_DIR "/data/velmora.1.in"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    auto form = Open();
    // With a session loaded, so that the items for it are shown too.
    form->OpenDialog1.Choose = [](QWidget*, const QString&) {
        return QStringLiteral(VELMORA_BINARY_DIR "/sessions/try-out.vsession");
    };
    form->LoadSession1->trigger();
    ASSERT_TRUE(messages.empty());
    int named = 0;
    std::vector<QMenu*> menus{form->PopupMenu1};
    while (!menus.empty()) {
        const QMenu* menu = menus.back();
        menus.pop_back();
        for (QAction* item : menu->actions()) {
            // The shipped sessions' titles are the files' own; hidden items are for the few.
            if (item->isSeparator() || !item->isVisible() || menu == form->Sessions1) continue;
            if (item->menu()) menus.push_back(item->menu());
            const QString caption = item->text().remove(QLatin1Char('&'));
            EXPECT_TRUE(text.contains(caption)) << caption.toStdString();
            ++named;
        }
    }
    EXPECT_GE(named, 13); // the Tone submenu and the session's items among them
}
