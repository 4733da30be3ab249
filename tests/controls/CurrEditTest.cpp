// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/CurrEdit.h"
#include "common/CapturedReports.h"

#include "ControlTestUtil.h"
#include "framework/Application.h"
#include "framework/Exception.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Counts the refusals instead of beeping.
class TCountingEdit : public TCurrencyEdit {
public:
    using TCurrencyEdit::TCurrencyEdit;
    int refusals = 0;

protected:
    void Refuse() override {
        ++refusals;
        TCurrencyEdit::Refuse();
    }
};

TFormatSettings DotComma() {
    TFormatSettings fs;
    fs.DecimalSeparator = '.';
    fs.ThousandSeparator = ',';
    return fs;
}

// The main window's frequency edit: 0.1..35, three decimals while editing, one shown.
struct FrequencyEdit : testing::Test {
    TTestPanel panel;
    TCountingEdit* edit = new TCountingEdit(&panel);
    QLineEdit* other = new QLineEdit(&panel);
    int changes = 0;
    CapturedReports captured;
    std::vector<std::string>& reports = captured.messages;

    void SetUp() override {
        edit->SetFormatSettings(DotComma());
        edit->setGeometry(9, 42, 64, 25);
        QFont bold = edit->font();
        bold.setBold(true);
        edit->setFont(bold);
        edit->SetColor(kOlive);
        edit->SetMaxValue(35.0L);
        edit->SetMinValue(0.1L);
        edit->SetValue(7.0L);
        edit->SetDecimalPlaces(3);
        edit->SetDisplayFormat(QString::fromUtf8("0.0,' Гц'"));
        edit->SetFormatOnEditing(true);
        edit->SetZeroEmpty(false);
        edit->SetAlignment(taCenter);
        edit->SetAutoSelect(false);
        edit->OnChange = [this](QObject*) { ++changes; };
        other->setGeometry(100, 42, 60, 25);
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        other->setFocus();
    }

    void Enter() {
        edit->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(edit->hasFocus());
    }
    void Leave() {
        other->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    void Type(const char* keys) { QTest::keyClicks(edit, QString::fromUtf8(keys)); }
    void ReplaceAll(const char* keys) {
        edit->selectAll();
        Type(keys);
    }
};

TEST_F(FrequencyEdit, ShowsTheFormattedValueCentredAndThePlainNumberWhenFocused) {
    EXPECT_EQ(edit->DisplayText(), QString::fromUtf8("7.0 Гц"));
    EXPECT_EQ(edit->text(), "7");
    const QImage image = Shot(*edit, "curredit_7");
    // The dark text pixels sit in the middle of the olive field.
    int first = -1;
    int last = -1;
    for (int x = 2; x < image.width() - 2; ++x) {
        for (int y = 4; y < image.height() - 4; ++y) {
            if (qGray(image.pixel(x, y)) < 40) {
                if (first < 0) first = x;
                last = x;
            }
        }
    }
    ASSERT_GE(first, 0) << "the display text is painted";
    EXPECT_NEAR(first, image.width() - 1 - last, 3);
    EXPECT_TRUE(SameRgb(image.pixel(5, 12), kOlive));

    edit->SetValue(12.345L);
    EXPECT_EQ(edit->DisplayText(), QString::fromUtf8("12.3 Гц"));
    Enter();
    EXPECT_EQ(edit->text(), "12.345");
    EXPECT_FALSE(edit->hasSelectedText()) << "AutoSelect is off";
    Shot(*edit, "curredit_focused");
}

TEST_F(FrequencyEdit, AutoSelectSelectsOnTabbingInOnly) {
    edit->SetAutoSelect(true);
    Enter();
    EXPECT_EQ(edit->selectedText(), "7");
    Leave();
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, 12));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_FALSE(edit->hasSelectedText()) << "entering by the mouse selects nothing";
}

TEST_F(FrequencyEdit, FourthDecimalIsRefused) {
    Enter();
    edit->end(false);
    Type(".123");
    EXPECT_EQ(edit->text(), "7.123");
    EXPECT_EQ(edit->refusals, 0);
    Type("4");
    EXPECT_EQ(edit->text(), "7.123");
    EXPECT_EQ(edit->refusals, 1);
    Type("x");
    EXPECT_EQ(edit->refusals, 2);
    EXPECT_EQ(edit->text(), "7.123");
}

TEST_F(FrequencyEdit, CommaTypesTheDecimalSeparator) {
    Enter();
    edit->end(false);
    Type(",5");
    EXPECT_EQ(edit->text(), "7.5");
    EXPECT_EQ(edit->Value(), 7.5L);
}

TEST_F(FrequencyEdit, LoneMinusIsAcceptedButANegativeNumberIsNot) {
    Enter();
    ReplaceAll("-");
    EXPECT_EQ(edit->text(), "-");
    Type("5");
    EXPECT_EQ(edit->text(), "-");
    EXPECT_EQ(edit->refusals, 1);
}

TEST_F(FrequencyEdit, FiftyReadsAsTheMaximumAndLeavingShowsIt) {
    Enter();
    changes = 0;
    ReplaceAll("50");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(edit->Value(), 35.0L);
    EXPECT_EQ(edit->text(), "50") << "reading the value leaves the text alone";
    Leave();
    EXPECT_FALSE(edit->hasFocus());
    EXPECT_EQ(edit->text(), "35");
    EXPECT_EQ(edit->DisplayText(), QString::fromUtf8("35.0 Гц"));
    EXPECT_EQ(changes, 2) << "the rebuild on leaving is no change";
    EXPECT_TRUE(reports.empty());
}

TEST_F(FrequencyEdit, EmptiedTextLeavesTheMinimum) {
    Enter();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), "");
    Leave();
    EXPECT_EQ(edit->Value(), 0.1L);
    EXPECT_EQ(edit->text(), "0.1");
}

TEST_F(FrequencyEdit, TypingGroupsThousandsAndLeavingClamps) {
    Enter();
    changes = 0;
    ReplaceAll("1234");
    EXPECT_EQ(edit->text(), "1,234");
    EXPECT_EQ(changes, 4) << "one change a keystroke; the regrouping adds none";
    EXPECT_EQ(edit->cursorPosition(), 5) << "the caret stays at the end";
    QTest::keyClick(edit, Qt::Key_Home);
    Type("5");
    EXPECT_EQ(edit->text(), "51,234");
    EXPECT_EQ(edit->cursorPosition(), 1) << "the caret keeps its distance from the end";
    Type("6");
    EXPECT_EQ(edit->text(), "561,234");
    Leave();
    EXPECT_EQ(edit->Value(), 35.0L);
}

TEST_F(FrequencyEdit, EscapeRestoresTheStoredValue) {
    Enter();
    ReplaceAll("12");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "7");
    EXPECT_EQ(edit->selectedText(), "7");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), "7") << "Enter is no character";
}

TEST_F(FrequencyEdit, ValueSetterLimitsAndReportsTextChanges) {
    changes = 0;
    edit->SetValue(0.05L);
    EXPECT_EQ(edit->Value(), 0.1L);
    EXPECT_EQ(edit->text(), "0.1");
    EXPECT_EQ(changes, 1);
    edit->SetValue(0.1L);
    edit->SetValue(0.0001L);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(edit->setProperty("Value", QVariant::fromValue(3.5L)));
    EXPECT_EQ(edit->text(), "3.5");
    EXPECT_EQ(edit->property("Value").value<long double>(), 3.5L);
    edit->SetMaxValue(2);
    EXPECT_EQ(edit->text(), "2");
    EXPECT_EQ(changes, 3);
}

TEST_F(FrequencyEdit, CheckOnExitReportsOnceAndKeepsTheFocus) {
    edit->SetCheckOnExit(true);
    Enter();
    ReplaceAll("50");
    Leave();
    QApplication::processEvents();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "Value must be between 0.100 and 35.000");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->text(), "50");
    EXPECT_EQ(edit->selectedText(), "50");
    ReplaceAll("12");
    Leave();
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(edit->Value(), 12.0L);
    EXPECT_FALSE(edit->hasFocus());
}

TEST_F(FrequencyEdit, TextThatIsNoNumberReadsAsTheMinimumAndHoldsTheFocus) {
    Enter();
    edit->setText("abc"); // not through the keys, which would refuse it
    EXPECT_EQ(edit->Value(), 0.1L);
    Leave();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "'abc' is not a valid floating point value");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_THROW(edit->SetText("x1"), EConvertError);
    edit->SetText(" 12.5 ");
    EXPECT_EQ(edit->Value(), 12.5L);
}

TEST_F(FrequencyEdit, PastingNoNumberRestoresTheText) {
    Enter();
    edit->end(false);
    QApplication::clipboard()->setText("abc");
    QTest::keySequence(edit, QKeySequence::Paste);
    EXPECT_EQ(edit->text(), "7");
    EXPECT_EQ(edit->selectedText(), "7");
    EXPECT_EQ(edit->refusals, 1);
    edit->selectAll();
    QApplication::clipboard()->setText("12.5");
    QTest::keySequence(edit, QKeySequence::Paste);
    EXPECT_EQ(edit->text(), "12.5");
    EXPECT_EQ(edit->refusals, 1);
}

TEST_F(FrequencyEdit, DeletingIsNeverRefusedAndWhatIsNoNumberIsReportedOnLeaving) {
    Enter();
    edit->selectAll();
    QApplication::clipboard()->setText("1e5");
    QTest::keySequence(edit, QKeySequence::Paste);
    ASSERT_EQ(edit->text(), "1e5");
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "1e");
    edit->home(false);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), "e");
    EXPECT_EQ(edit->refusals, 0);
    Type("x"); // typing is still checked
    EXPECT_EQ(edit->text(), "e");
    EXPECT_EQ(edit->refusals, 1);
    Leave();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "'e' is not a valid floating point value");
    EXPECT_TRUE(edit->hasFocus());
}

TEST(CurrEditRules, NewEditDefaults) {
    TCurrencyEdit edit;
    EXPECT_EQ(edit.Value(), 0.0L);
    EXPECT_EQ(edit.text(), "") << "zero shows empty";
    EXPECT_EQ(edit.DecimalPlaces(), 2u);
    EXPECT_EQ(edit.Alignment(), taRightJustify);
    EXPECT_TRUE(edit.AutoSelect());
    EXPECT_EQ(edit.DisplayFormat(), CurrencyDisplayFormat(TFormatSettings::System()));
    edit.SetValue(1234.5L);
    EXPECT_EQ(edit.text(), QString("1234") + TFormatSettings::System().DecimalSeparator + "5");
}

TEST(CurrEditRules, NormalisingFollowsTheSeparators) {
    TCurrencyEdit edit;
    TFormatSettings german;
    german.DecimalSeparator = ',';
    german.ThousandSeparator = '.';
    edit.SetFormatSettings(german);
    EXPECT_EQ(edit.Normalized(" 1.234,5 "), "1234,5");
    EXPECT_EQ(edit.Normalized(""), "0");
    EXPECT_EQ(edit.Normalized("-"), "-0");
    TFormatSettings spaced;
    spaced.DecimalSeparator = ',';
    spaced.ThousandSeparator = ' ';
    edit.SetFormatSettings(spaced);
    EXPECT_EQ(edit.Normalized("1 234.5"), "1234,5");
    EXPECT_EQ(edit.Normalized("1 234,5"), "1234,5");
    edit.SetText("2 000.25");
    EXPECT_EQ(edit.Value(), 2000.25L);
}

TEST(CurrEditRules, RangeWithTheMaximumBelowTheMinimum) {
    TCurrencyEdit edit;
    edit.SetMinValue(5);
    EXPECT_EQ(edit.CheckValue(3, false), 5); // maximum 0: only a floor
    EXPECT_EQ(edit.CheckValue(100, false), 100);
    EXPECT_THROW(edit.CheckValue(3, true), Exception);
    EXPECT_EQ(edit.CheckValue(100, true), 100);

    TCurrencyEdit ceiling;
    ceiling.SetMaxValue(-5); // minimum 0: only a ceiling
    EXPECT_EQ(ceiling.CheckValue(3, false), -5);
    EXPECT_EQ(ceiling.CheckValue(-9, false), -9);

    TCurrencyEdit neither;
    neither.SetMinValue(10);
    neither.SetMaxValue(5);
    EXPECT_EQ(neither.CheckValue(7, false), 7);
    EXPECT_EQ(neither.CheckValue(-70, false), -70);

    TCurrencyEdit open;
    EXPECT_EQ(open.CheckValue(-1e30L, true), -1e30L) << "equal limits mean no range";
}

TEST(CurrEditRules, HugeDecimalPlacesStayBounded) {
    TCurrencyEdit edit;
    edit.SetFormatSettings(DotComma());
    edit.SetDecimalPlaces(2147483647u);
    edit.SetValue(0.5L);
    EXPECT_EQ(edit.text(), "0.5");
    edit.SetMinValue(1);
    edit.SetMaxValue(2);
    try {
        edit.CheckValue(5, true);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_LT(e.Message().size(), 100u);
    }
}

} // namespace

TEST_F(FrequencyEdit, LettersGetInByNoWayOtherThanTheKeysEither) {
    Enter();
    edit->end(false);
    const QString garbage = QStringLiteral("12,abc.5");
    const auto refused = [&](const char* way) {
        EXPECT_EQ(edit->text(), "7") << way;
        EXPECT_EQ(edit->refusals, 1) << way;
        edit->refusals = 0;
    };
    // The context menu's Paste.
    QApplication::clipboard()->setText(garbage);
    std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(QStringLiteral("&Paste"))) paste = action;
    }
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    refused("menu paste");
    // An input method's commit.
    QInputMethodEvent commit;
    commit.setCommitString(garbage);
    QApplication::sendEvent(edit, &commit);
    refused("input method");

    EXPECT_EQ(edit->Value(), 7.0L);
    EXPECT_EQ(changes, 0) << "the owner never saw the garbage";
    // What is a number still gets in that way.
    commit.setCommitString(QStringLiteral("5"));
    QApplication::sendEvent(edit, &commit);
    EXPECT_EQ(edit->text(), "75");
}

TEST_F(FrequencyEdit, AFailingOwnerHandlerIsReportedWhereverTheChangeComesFrom) {
    edit->OnChange = [](QObject*) { throw Exception("handler failed"); };
    Enter();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("1"));
    QApplication::sendEvent(edit, &commit);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "handler failed");
}

TEST_F(FrequencyEdit, EscIsOfferedToTheWindow) {
    Enter();
    ReplaceAll("12");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(edit, &esc);
    EXPECT_FALSE(esc.isAccepted());
    EXPECT_EQ(edit->text(), "7");
    EXPECT_EQ(edit->selectedText(), "7");
}
