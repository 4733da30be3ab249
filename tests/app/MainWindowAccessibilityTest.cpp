// SPDX-License-Identifier: GPL-3.0-or-later
// The main window for assistive technology and the keyboard: names from the labels in the
// user's language, the round button named by what it does now, the picture described, and Tab
// reaching every control from left to right.
#include "MainWindowFixture.h"
#include "app/Translations.h"
#include "app/mainAccessible.h"
#include "controls/ASswitch.h"
#include "controls/ControlsAccessible.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "picture/DXPaintBox.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QToolButton>

namespace {

QString NameOf(QWidget* w) {
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

class MainWindowAccessibilityTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        InstallControlsAccessibility();
    }
    void TearDown() override {
        MainState::Running = false;
        InstallTranslations(QLocale(QStringLiteral("en_US")));
        MainWindowTest::TearDown();
    }
};

TEST_F(MainWindowAccessibilityTest, ControlsAreNamedAndDescribed) {
    auto form = Open();
    MakeAccessible(*form);
    EXPECT_EQ(NameOf(form->UpDown1), QStringLiteral("Depth"));
    EXPECT_EQ(NameOf(form->UpDown2), QStringLiteral("Oscilator 1"));
    EXPECT_EQ(NameOf(form->UpDown3), QStringLiteral("Oscilator 2"));
    EXPECT_EQ(NameOf(form->Volume), QStringLiteral("Volume"));
    EXPECT_EQ(NameOf(form->RxSlider1), QStringLiteral("Main frequency"));
    EXPECT_EQ(NameOf(form->FreqEdit), QStringLiteral("Main frequency"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->Volume)->text(QAccessible::Description),
              QStringLiteral("Sound Volume"));

    EXPECT_EQ(NameOf(form->Start), QStringLiteral("Start"));
    QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(form->PaintBox1);
    EXPECT_EQ(picture->role(), QAccessible::Graphic);
    EXPECT_EQ(picture->text(QAccessible::Description),
              form->ComboBox1->currentText() + QStringLiteral(", stopped"));
    MainState::Running = true; // what the button and the picture report follows the run
    EXPECT_EQ(NameOf(form->Start), QStringLiteral("Stop"));
    EXPECT_TRUE(picture->text(QAccessible::Description).endsWith(QStringLiteral(", running")));
    MainState::Running = false;
    Close(form);
}

TEST_F(MainWindowAccessibilityTest, NamesFollowTheUsersLanguage) {
    ASSERT_EQ(InstallTranslations(QLocale(QStringLiteral("de_DE"))), QStringLiteral("de"));
    auto form = Open();
    MakeAccessible(*form);
    EXPECT_EQ(NameOf(form->Volume), QString::fromUtf8("Lautstärke"));
    EXPECT_EQ(NameOf(form->UpDown1), QStringLiteral("Tiefe"));
    EXPECT_EQ(NameOf(form->Start), QStringLiteral("Start"));
    MainState::Running = true;
    EXPECT_EQ(NameOf(form->Start), QStringLiteral("Stopp"));
    Close(form);
}

TEST_F(MainWindowAccessibilityTest, TabReachesEveryControlLeftToRightWithItsFocusShown) {
    auto form = Open();
    MakeAccessible(*form);
    const QList<QWidget*> expected = {
        form->RxSlider1, form->FreqEdit,    form->DivCheck,  form->UpDown1, form->UpDown2,
        form->UpDown3,   form->Volume,      form->Half,      form->Start,   form->ComboBox1,
        form->ComboBox2, form->ApplyButton, form->ShowButton};
    QList<QWidget*> reached;
    QWidget* w = form->RxSlider1;
    do {
        if (expected.contains(w)) reached << w;
        w = w->nextInFocusChain();
    } while (w != form->RxSlider1 && reached.size() < expected.size());
    EXPECT_EQ(reached, expected);
    for (TASSwitcher* knob : {form->UpDown1, form->UpDown2, form->UpDown3, form->Volume}) {
        EXPECT_TRUE(knob->focusPolicy() & Qt::TabFocus) << knob->objectName().toStdString();
        EXPECT_TRUE(knob->DrawFocused()) << knob->objectName().toStdString();
    }
    for (QWidget* control : expected)
        EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus) << control->objectName().toStdString();
    Close(form);
}

} // namespace
