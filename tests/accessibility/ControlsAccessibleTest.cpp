// SPDX-License-Identifier: GPL-3.0-or-later
// The self-drawn controls as assistive technology sees them: role, name from the label whose
// buddy they are, description from the tooltip, and values that, set through the value
// interface, reach the owner as the keys' changes do.
#include "controls/ControlsAccessible.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QCoreApplication>
#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>
#include <limits>

namespace {

class ControlsAccessibleTest : public testing::Test {
protected:
    void SetUp() override { InstallControlsAccessibility(); }

    static QAccessibleInterface* Of(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }
    static QAccessibleValueInterface* ValueOf(QWidget* w) { return Of(w)->valueInterface(); }

    QWidget owner;
};

TEST_F(ControlsAccessibleTest, AKnobIsADialNamedByItsLabelAndTurnedAsByTheKeys) {
    auto* knob = new TASSwitcher(&owner);
    knob->SetSoundType(wssNone);
    knob->SetMax(10);
    knob->setToolTip(QStringLiteral("Sound\nVolume"));
    auto* label = new QLabel(QStringLiteral("&Volume"), &owner);
    label->setBuddy(knob);
    int changes = 0;
    knob->OnChange = [&](QObject*) { ++changes; };

    QAccessibleInterface* a = Of(knob);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Dial);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Volume"));
    EXPECT_EQ(a->text(QAccessible::Description), QStringLiteral("Sound Volume"));
    QAccessibleValueInterface* v = a->valueInterface();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->minimumValue().toInt(), 0);
    EXPECT_EQ(v->maximumValue().toInt(), 10);
    EXPECT_EQ(v->minimumStepSize().toInt(), 1);

    v->setCurrentValue(4);
    EXPECT_EQ(knob->Position(), 4);
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("4"));
    v->setCurrentValue(3.6); // the nearest click position
    EXPECT_EQ(knob->Position(), 4);
    EXPECT_EQ(changes, 1);
    v->setCurrentValue(99); // held to the scale, as End holds it
    EXPECT_EQ(knob->Position(), 10);
    v->setCurrentValue(-5);
    EXPECT_EQ(knob->Position(), 0);
    v->setCurrentValue(std::numeric_limits<double>::quiet_NaN());
    v->setCurrentValue(QStringLiteral("loud"));
    EXPECT_EQ(knob->Position(), 0);
    EXPECT_EQ(changes, 3);
}

TEST_F(ControlsAccessibleTest, TheSliderEndsEachChangeAsAKeyDoes) {
    auto* slider = new TRxSlider(&owner);
    slider->SetMinValue(1);
    slider->SetMaxValue(250);
    slider->SetIncrement(1);
    slider->SetValue(70);
    slider->setAccessibleName(QStringLiteral("Main frequency"));
    int changes = 0, gestures = 0;
    slider->OnChange = [&](QObject*) { ++changes; };
    slider->OnChanged = [&](QObject*) { ++gestures; };

    QAccessibleInterface* a = Of(slider);
    EXPECT_EQ(a->role(), QAccessible::Slider);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Main frequency"));
    QAccessibleValueInterface* v = a->valueInterface();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->minimumValue().toInt(), 1);
    EXPECT_EQ(v->maximumValue().toInt(), 250);
    v->setCurrentValue(125);
    EXPECT_EQ(slider->Value(), 125);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(gestures, 1);
    v->setCurrentValue(125); // nothing moves, nothing is told
    v->setCurrentValue(1000);
    EXPECT_EQ(slider->Value(), 250);
    EXPECT_EQ(v->currentValue().toInt(), 250);
    EXPECT_EQ(gestures, 2);
}

TEST_F(ControlsAccessibleTest, TheFrequencyBoxReadsItsValueWithItsUnit) {
    auto* edit = new TCurrencyEdit(&owner);
    TFormatSettings fs = edit->FormatSettings();
    fs.DecimalSeparator = QLatin1Char(',');
    fs.ThousandSeparator = QLatin1Char('.');
    edit->SetFormatSettings(fs);
    edit->SetMinValue(0.1L);
    edit->SetMaxValue(35.0L);
    edit->SetDecimalPlaces(3);
    edit->SetDisplayFormat(QStringLiteral("0.0,' Hz'"));
    edit->SetValue(7.0L);
    int changes = 0;
    edit->OnChange = [&](QObject*) { ++changes; };

    QAccessibleInterface* a = Of(edit);
    EXPECT_EQ(a->role(), QAccessible::EditableText);
    EXPECT_TRUE(a->state().editable);
    QAccessibleTextInterface* t = a->textInterface();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->text(0, t->characterCount()), QStringLiteral("7,0 Hz"));
    EXPECT_EQ(t->text(4, -1), QStringLiteral("Hz"));
    EXPECT_EQ(t->text(-3, 99), QStringLiteral("7,0 Hz"));
    QAccessibleValueInterface* v = a->valueInterface();
    ASSERT_NE(v, nullptr);
    EXPECT_DOUBLE_EQ(v->minimumValue().toDouble(), 0.1);
    EXPECT_DOUBLE_EQ(v->maximumValue().toDouble(), 35.0);
    EXPECT_DOUBLE_EQ(v->minimumStepSize().toDouble(), 0.001);
    v->setCurrentValue(12.5);
    EXPECT_EQ(edit->Value(), 12.5L);
    EXPECT_GE(changes, 1) << "the owner hears of the new value as of typed text";
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("12,5 Hz"));
    v->setCurrentValue(90.0);
    EXPECT_EQ(edit->Value(), 35.0L);
}

TEST_F(ControlsAccessibleTest, TheRoundButtonIsNamedByItsOwnerAndPressedLikeTheSpaceKey) {
    auto* button = new TImgBtn(&owner);
    button->SetEnabled(true);
    bool running = false;
    SetAccessibleTexts(*button,
                       [&] { return running ? QStringLiteral("Stop") : QStringLiteral("Start"); });
    int clicks = 0;
    button->OnClick = [&](QObject*) {
        ++clicks;
        running = !running;
    };
    QAccessibleInterface* a = Of(button);
    EXPECT_EQ(a->role(), QAccessible::Button);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Start"));
    QAccessibleActionInterface* act = a->actionInterface();
    ASSERT_NE(act, nullptr);
    ASSERT_TRUE(act->actionNames().contains(QAccessibleActionInterface::pressAction()));
    act->doAction(QAccessibleActionInterface::pressAction());
    // The press waits until the request is answered, as what it opens may wait for the user.
    EXPECT_EQ(clicks, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Stop"));
    act->doAction(QAccessibleActionInterface::showMenuAction()); // not the button's
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1);
}

} // namespace
