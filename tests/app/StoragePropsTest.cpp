// SPDX-License-Identifier: GPL-3.0-or-later
// Stored control properties: binding by component and property name, the stored forms and
// their conversions, trimming, the quote doubling, and failures while restoring.
#include "StorageTestWindow.h"

#include "app/RXProps.h"

namespace {

using StoragePropsTest = SettingsDirTest;

TEST_F(StoragePropsTest, ValuesRoundTripThroughTheFile) {
    {
        TStorageTestForm form;
        form.show();
        form.DivCheck->setChecked(true);
        form.FreqEdit->value = 10.25;
        form.RxSlider1->value = 103;
        form.Timer1->value = 48;
        form.Title->caption = "  Zeta  ";
        form.close();
    }
    EXPECT_EQ(Read("DivCheck_Checked"), "True");
    EXPECT_EQ(Read("Half_Checked"), "False");
    EXPECT_EQ(Read("FreqEdit_Value"), "10.25");
    EXPECT_EQ(Read("RxSlider1_Value"), "103");
    EXPECT_EQ(Read("Timer1_Interval"), "48") << "the key keeps the stored spelling";
    EXPECT_EQ(Read("Title_Caption"), "Zeta") << "values are trimmed before writing";

    TStorageTestForm form;
    form.show();
    EXPECT_TRUE(form.DivCheck->isChecked());
    EXPECT_FALSE(form.Half->isChecked());
    EXPECT_EQ(form.FreqEdit->value, 10.25);
    EXPECT_EQ(form.RxSlider1->value, 103);
    EXPECT_EQ(form.Timer1->value, 48);
    EXPECT_EQ(form.Title->caption, "Zeta");
}

TEST_F(StoragePropsTest, WholeNumbersAreWrittenWithoutDecimals) {
    TStorageTestForm form;
    form.show();
    form.close();
    EXPECT_EQ(Read("FreqEdit_Value"), "7");
}

TEST_F(StoragePropsTest, JunkValuesFollowTheirKindsRules) {
    Write("RxSlider1_Value", "abc");
    Write("FreqEdit_Value", "abc");
    Write("Half_Checked", "TRUE");
    Write("DivCheck_Checked", "yes");
    Write("Timer1_Interval", "  $20  ");
    TStorageTestForm form;
    form.DivCheck->setChecked(true);
    form.show();
    EXPECT_EQ(form.RxSlider1->value, 0) << "text that is no integer gives 0";
    EXPECT_EQ(form.FreqEdit->value, 7.0) << "text that is no number leaves the value";
    EXPECT_TRUE(form.Half->isChecked()) << "Booleans compare without case";
    EXPECT_TRUE(form.DivCheck->isChecked()) << "other words leave the Boolean";
    EXPECT_EQ(form.Timer1->value, 32) << "trimmed, then the $ hexadecimal form";
}

TEST_F(StoragePropsTest, HexadecimalWithZeroXIsNoStoredInteger) {
    Write("RxSlider1_Value", "0x10");
    Write("FreqEdit_Value", " 3.5 ");
    TStorageTestForm form;
    form.show();
    EXPECT_EQ(form.RxSlider1->value, 0);
    EXPECT_EQ(form.FreqEdit->value, 3.5);
}

TEST_F(StoragePropsTest, MissingKeysWriteNothingBack) {
    TStorageTestForm form;
    form.RxSlider1->value = 90;
    form.show();
    EXPECT_EQ(form.RxSlider1->value, 90);
    EXPECT_EQ(form.RxSlider1->writes, 1) << "the current value is set back unchanged";
}

TEST_F(StoragePropsTest, QuotedValuesSurviveTheProfileStripping) {
    const QString values[] = {"\"quoted\"", "'single'", "\"", "\"open"};
    for (const QString& value : values) {
        {
            TStorageTestForm form;
            form.show();
            form.Title->caption = value;
            form.close();
        }
        TStorageTestForm form;
        form.show();
        EXPECT_EQ(form.Title->caption, value);
    }
    EXPECT_TRUE(RawFile().contains("Title_Caption=\"open")) << RawFile().toStdString();
    EXPECT_EQ(QuoteForProfile("\"a\""), "\"\"a\"\"");
    EXPECT_EQ(QuoteForProfile("'a'"), "\"'a'\"");
    EXPECT_EQ(QuoteForProfile("'a\""), "'a\"");
}

TEST_F(StoragePropsTest, BindingDropsMalformedEntriesAndForgetsDestroyedComponents) {
    TStorageTestForm form;
    form.Storage->SetStoredProps({"NoDot", ".Value", "RxSlider1.", "Missing.Value",
                                  " rxslider1 . Value ", "FreqEdit.Value.Extra", "Half.Checked"});
    form.Storage->BindStoredProps();
    const std::vector<std::string> expected = {" rxslider1 . Value ", "FreqEdit.Value.Extra",
                                               "Half.Checked"};
    EXPECT_EQ(form.Storage->StoredProps(), expected);

    delete form.Half;
    form.Half = nullptr;
    const std::vector<std::string> left = {" rxslider1 . Value ", "FreqEdit.Value.Extra"};
    EXPECT_EQ(form.Storage->StoredProps(), left);

    form.show();
    form.RxSlider1->value = 11;
    form.close();
    EXPECT_EQ(Read("RxSlider1_Value"), "11") << "the key is the component's own name";
    EXPECT_EQ(Read("FreqEdit_Value.Extra"), "<none>") << "no such property writes nothing";
}

TEST_F(StoragePropsTest, FailingSetterIsIgnoredAndLaterEntriesStillRestore) {
    Write("Bad_Value", "8");
    Write("Half_Checked", "True");
    TStorageTestForm form;
    auto* bad = new TFailingHolder(&form);
    bad->setObjectName("Bad");
    form.Storage->SetStoredProps({"Bad.Value", "Half.Checked"});
    form.show();
    EXPECT_TRUE(form.Half->isChecked());
    EXPECT_TRUE(messages.empty()) << "restoring one property fails silently";
}

TEST_F(StoragePropsTest, ExtendedPropertiesKeepTheirPrecision) {
    TExtendedHolder holder;
    const QMetaProperty value = TPropsStorage::FindProperty(holder, "Value");
    holder.value = 0.1L;
    EXPECT_EQ(TPropsStorage::PropertyText(holder, value), "0.1");
    TPropsStorage::SetPropertyText(holder, value, "3.3");
    EXPECT_EQ(holder.value, 3.3L) << "no detour through double";
}

TEST_F(StoragePropsTest, PropertyTextFollowsTheKind) {
    TTimerLike timer;
    const QMetaProperty interval = TPropsStorage::FindProperty(timer, "INTERVAL");
    ASSERT_TRUE(interval.isValid());
    TPropsStorage::SetPropertyText(timer, interval, "65535");
    EXPECT_EQ(TPropsStorage::PropertyText(timer, interval), "65535");
    EXPECT_FALSE(TPropsStorage::FindProperty(timer, "Intervals").isValid());
    EXPECT_EQ(TrimBlanks("\t a b \r\n"), "a b");
}

} // namespace
