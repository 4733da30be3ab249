// SPDX-License-Identifier: GPL-3.0-or-later
// Every text the user reads goes through the translator: with one installed that marks what it
// translates, every caption, hint, menu item, band name and message comes out marked.
#include "MainWindowFixture.h"
#include "app/About.h"
#include "app/Translations.h"
#include "controls/CurrEdit.h"
#include "framework/Messages.h"
#include "run/RunParameters.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

class MarkingTranslator : public QTranslator {
public:
    QString translate(const char*, const char* source, const char*, int) const override {
        const QString text = QString::fromUtf8(source);
        // The frequency's display format is a pattern for numbers, not a caption.
        if (text.startsWith(QLatin1String("0.0"))) return text;
        return QLatin1Char('[') + text + QLatin1Char(']');
    }
    bool isEmpty() const override { return false; }
};

bool Marked(const QString& text) {
    return text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']'));
}

// Texts and hints of the widgets and actions under root that the user reads, minus those named.
QStringList UnmarkedTexts(const QWidget& root, const QStringList& untranslated) {
    QStringList unmarked;
    const auto check = [&](const QObject& o, const QString& text) {
        if (!text.isEmpty() && !Marked(text) && !untranslated.contains(o.objectName()))
            unmarked << o.objectName() + QStringLiteral(": ") + text;
    };
    check(root, root.windowTitle());
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        check(*w, w->toolTip());
        if (const auto* label = qobject_cast<const QLabel*>(w)) check(*w, label->text());
        if (const auto* button = qobject_cast<const QAbstractButton*>(w)) check(*w, button->text());
    }
    for (const QAction* a : root.findChildren<QAction*>())
        check(*a, a->text());
    return unmarked;
}

class TranslationTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QCoreApplication::installTranslator(&translator);
    }
    void TearDown() override {
        QCoreApplication::removeTranslator(&translator);
        MainWindowTest::TearDown();
    }
    MarkingTranslator translator;
};

} // namespace

TEST_F(TranslationTest, EveryTextOfTheWindowsGoesThroughTheTranslator) {
    auto form = Open();
    // The shipped sessions are listed by the titles their files give.
    EXPECT_EQ(UnmarkedTexts(*form, {"ShippedSession"}), QStringList());
    form->ShowButton->click();
    EXPECT_EQ(form->ShowButton->text(), QStringLiteral("[Show Controls]"));
    form->ShowButton->click();
    EXPECT_EQ(form->ShowButton->text(), QStringLiteral("[Hide Controls]"));
    Close(form);

    TAboutBox about;
    // The web and mail addresses are shown as they are.
    EXPECT_EQ(UnmarkedTexts(about, {"Label1", "Label2", "Label4"}), QStringList());
}

TEST_F(TranslationTest, BandNamesAndMessagesGoThroughTheTranslator) {
    EXPECT_EQ(BandLabel(100), QStringLiteral("[Alpha]"));
    EXPECT_EQ(BandLabel(1), QString()) << "below every band no text is shown";
    EXPECT_EQ(FormatMessage(Msg::ValueBetween, {1LL, 9LL}), "[Value must be between 1 and 9]");
}

// The shipped message files are found beside the program and installed for the user's first
// language that has one; English, or a language without a translation, leaves the English texts.
TEST_F(MainWindowTest, TheUsersLanguageChoosesTheShippedTranslation) {
    ASSERT_FALSE(TranslationsFolder().isEmpty());
    const auto volume = [] { return QCoreApplication::translate("TMainForm", "Volume"); };
    EXPECT_EQ(InstallTranslations(QLocale(QStringLiteral("de_AT"))), QStringLiteral("de"));
    EXPECT_EQ(volume(), QString::fromUtf8("Lautstärke"));
    EXPECT_EQ(InstallTranslations(QLocale(QStringLiteral("ru_RU"))), QStringLiteral("ru"));
    EXPECT_EQ(volume(), QString::fromUtf8("Громкость"));
    // The toolkit's own buttons come in the same language.
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    for (const char* name : {"en_US", "fr_FR", "C"}) {
        EXPECT_EQ(InstallTranslations(QLocale(QLatin1String(name))), QString()) << name;
        EXPECT_EQ(volume(), QStringLiteral("Volume")) << name;
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                  QStringLiteral("Cancel"));
    }
}

// The frequency box shows the unit of the user's language; its value does not change.
TEST_F(MainWindowTest, TheFrequencyUnitFollowsTheUsersLanguage) {
    InstallTranslations(QLocale(QStringLiteral("ru_RU")));
    auto form = Open();
    EXPECT_TRUE(form->FreqEdit->DisplayText().endsWith(QString::fromUtf8(" Гц")))
        << form->FreqEdit->DisplayText().toStdString();
    EXPECT_EQ(form->FreqEdit->Value(), 7.0L);
    EXPECT_EQ(form->Label6->text(), QString::fromUtf8("Громкость"));
    Close(form);
    InstallTranslations(QLocale(QStringLiteral("en_GB")));
    form = Open();
    EXPECT_TRUE(form->FreqEdit->DisplayText().endsWith(QLatin1String(" Hz")))
        << form->FreqEdit->DisplayText().toStdString();
    Close(form);
}

// The tools' messages keep the bytes they quote as they are, and each is filled in once.
TEST(FillInTest, PlaceholdersTakeTheBytesGivenOnce) {
    const std::string latin1Name = "na\xefve.zdl";
    EXPECT_EQ(FillIn(QStringLiteral("no picture \"%1\" in %2"), {"%2", latin1Name}),
              "no picture \"%2\" in " + latin1Name);
    EXPECT_EQ(FillIn(QStringLiteral("100% of %1, %3 left"), {"x"}), "100% of x, %3 left");
    EXPECT_EQ(FillIn(QStringLiteral("%1%1"), {"ab"}), "abab");
    EXPECT_EQ(FillIn(QStringLiteral("ends in %")), "ends in %");
}
