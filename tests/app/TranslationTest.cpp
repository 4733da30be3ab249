// SPDX-License-Identifier: GPL-3.0-or-later
// Every text the user reads goes through the translator: with one installed that marks what it
// translates, every caption, hint, menu item, band name and message comes out marked.
#include "MainWindowFixture.h"
#include "app/About.h"
#include "app/Translations.h"
#include "app/mainFlash.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "exchange/Import.h"
#include "framework/Exception.h"
#include "framework/Messages.h"
#include "library/LibraryFormat.h"
#include "library/PackedDib.h"
#include "run/RunParameters.h"
#include "safety/SessionFlash.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QToolButton>
#include <QTranslator>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <regex>

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

namespace {

// The shipped German translation and German numbers for one test, English again after it.
struct InGerman {
    InGerman() {
        EXPECT_EQ(InstallTranslations(QLocale(QStringLiteral("de_DE"))), QStringLiteral("de"));
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    }
    ~InGerman() {
        InstallTranslations(QLocale(QStringLiteral("en_GB")));
        QLocale::setDefault(numbers);
    }
    QLocale numbers;
};

std::string MessageOf(const std::function<void()>& failing) {
    try {
        failing();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no failure)";
}

} // namespace

// The verdict, the reason and the figures of the flash mark and the Flash Check dialog read in
// the user's language with the locale's decimal comma; the reason that the tool's JSON prints
// stays English.
TEST_F(MainWindowTest, TheFlashCheckReadsInTheUsersLanguage) {
    InGerman german;
    auto form = Open();
    TMainFlash& flash = *form->Flash();
    form->UpDown1->SetPosition(15);
    form->FreqEdit->SetValue(25.0L);
    flash.Update();
    ASSERT_TRUE(flash.Report().Over);
    EXPECT_EQ(flash.Mark->text(), QString::fromUtf8("\u25CF Blinken: darüber"));
    const QString tip = flash.Mark->toolTip();
    EXPECT_TRUE(tip.startsWith(QString::fromUtf8("Blinkprüfung: über den Grenzwerten\n")))
        << tip.toStdString();
    // Which limit the default picture passes first depends on the display; each reads whole.
    EXPECT_TRUE(tip.contains(QRegularExpression(
        QStringLiteral("\\n(mehr als 3 (allgemeine|rote) Blitze|4 oder mehr Übergänge) pro "
                       "Sekunde.* auf \\d+ % (des Bildschirms|eines 10-Grad-Sichtfelds)\\n"))))
        << tip.toStdString();
    EXPECT_TRUE(
        tip.contains(QRegularExpression(QStringLiteral("Allgemeine Blitze: \\d+,\\d pro "
                                                       "Sekunde\nRote Blitze: \\d+,\\d pro"))))
        << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("Anhaltendes Blinken: ")));
    for (const char* english : {"flashes", "limits", "screen", "second", "yes", "refresh"})
        EXPECT_FALSE(tip.contains(QLatin1String(english))) << english << ": " << tip.toStdString();
    const std::string& reason = flash.Report().Reason;
    EXPECT_NE(reason.find(" a second"), std::string::npos) << reason;
    EXPECT_NE(reason.find(" % of "), std::string::npos) << reason;

    flash.FlashCheck1->trigger();
    auto* dialog = form->findChild<QDialog*>(QStringLiteral("FlashCheckDialog"));
    ASSERT_NE(dialog, nullptr);
    const QString text = dialog->findChild<QLabel*>(QStringLiteral("FlashCheckText"))->text();
    EXPECT_TRUE(text.contains(QStringLiteral("Bildwiederholrate: "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Unter den Grenzwerten mit: "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\d,\\d Hz"))))
        << text.toStdString();
    Close(form);
}

// A session's minute: the numbers follow the locale the caller gives, the words the language.
TEST_F(MainWindowTest, SessionFlashMinutesReadInTheUsersLanguage) {
    InGerman german;
    TFlashMinute minute;
    minute.EndMs = 60'000;
    minute.LowestHz = minute.HighestHz = 7.5;
    minute.LowestDepth = 3;
    minute.HighestDepth = 5;
    EXPECT_EQ(FlashMinuteHeading(minute, QLocale()), "0:00-1:00  7,5 Hz, Tiefe 3–5");
    minute.Worst.Checked = true;
    EXPECT_EQ(DescribeFlashMinute(minute),
              "0:00-1:00  7.5 Hz, Tiefe 3–5: unter den Grenzwerten; 0.0 allgemeine und 0.0 rote "
              "Blitze pro Sekunde, 0 % des Bildschirms, 0 % eines 10-Grad-Sichtfelds");
}

// The library's refusals and the import's report, with the names they quote kept byte for byte.
TEST_F(MainWindowTest, LibraryErrorsAndImportReportsReadInTheUsersLanguage) {
    InGerman german;
    EXPECT_EQ(MessageOf([] { BuildLibraryModule({{"", {}}}, {}); }), "Ein Bildname ist leer");
    EXPECT_EQ(MessageOf([] {
                  BuildLibraryModule({}, {{"#12", {}}});
              }),
              "Klangname „#12“ würde als Ressourcennummer gelesen");
    const std::string latin1Name = "na\xefve%2.bmp";
    EXPECT_EQ(MessageOf([&] {
                  PackedDibFromBmpFile({'X', 'Y'}, latin1Name);
              }),
              latin1Name + " ist keine verwendbare Bitmap-Datei: kein Bitmap-Dateikopf am Anfang");

    TImportReport report;
    for (int line = 1; line <= 12; ++line)
        report.Note(1, "an unknown kind of line", line);
    report.Note(2, "left out", 4);
    EXPECT_EQ(report.Lines("a.sbg: ", true),
              (std::vector<std::string>{
                  "a.sbg: an unknown kind of line (Zeilen 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 und 2 "
                  "weitere)",
                  "a.sbg: left out (Zeile 4)"}));
    // The session file's own comment stays English.
    EXPECT_EQ(report.Lines("# ")[1], "# left out (line 4)");
}

// Every schedule reader refuses in the user's language, naming the line or entry as it does,
// and reports what it left out with the locale's numbers; the session file's comment stays
// English.
TEST_F(MainWindowTest, ScheduleImportsRefuseAndReportInTheUsersLanguage) {
    InGerman german;
    const auto refusal = [](const std::string& text, const std::string& name) {
        return MessageOf([&] { ImportSchedule(text, name); });
    };
    EXPECT_EQ(refusal("a: 200+10/20\nNOW a\n+0:10 x\n", "s.sbg"),
              "s.sbg, Zeile 3: Ton-Set „x“ ist nicht definiert");
    EXPECT_EQ(refusal("a: 200+10/20\nx: {\n+0:01 a\n", "s.sbg"),
              "s.sbg, Zeile 2: der Block „x“ hat keine schließende }");
    EXPECT_EQ(refusal("alpha\n  tone 250 binaural 8 amplitude 15\n00:00:00 alpha\n00:00:00 alpha\n",
                      "s.spsq"),
              "s.spsq, Zeile 4: Zeit 00:00:00 liegt nicht nach der Zeile darüber");
    EXPECT_EQ(refusal(R"({"sequence": [{"time": 0}, {"time": 0}]})", "s.json"),
              "s.json, Eintrag 2: die Zeit liegt nicht nach dem vorigen Eintrag");
    EXPECT_EQ(
        refusal("<schedule>\n<voice>\n<entry duration=\"x\"/></voice></schedule>", "s.gnaural"),
        "s.gnaural, Zeile 3: <entry> duration „x“ ist keine Zahl");
    EXPECT_EQ(refusal("just words\n", "notes"),
              "notes ist kein Ablaufplan, den diese Version liest (.sbg, .spsq, ein "
              "SynapSeq-JSON-Ablauf oder .gnaural)");
    EXPECT_EQ(ImportCount(100000), "100.000");

    // A beat that swings every twenty seconds for hours, with cross-fades of ten: more points
    // than a session holds.
    std::string text = "-F 10000\na: 200+10/20 pink/30\nb: 200+12/20\nNOW a\n";
    for (int i = 1; i <= 6000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "+%d:%02d:%02d %s\n", i * 20 / 3600, i * 20 / 60 % 60,
                      i * 20 % 60, i % 2 ? "b" : "a");
        text += line;
    }
    const TImported imported = ImportSchedule(text, "s.sbg");
    ASSERT_EQ(imported.Report.size(), 3u) << imported.Report.back();
    EXPECT_EQ(imported.Report[0],
              "s.sbg: Rauschstimmen weggelassen (stattdessen spielt der Klang der Bibliothek); ein "
              "Ton-Set nur aus Rauschen setzt nur die Lautstärke (Zeile 2)");
    const std::string& thinned = imported.Report[1];
    EXPECT_TRUE(std::regex_match(thinned, std::regex("s\\.sbg: Frequenzverlauf von 1\\d\\.\\d{3} "
                                                     "auf 10\\.000 Punkte ausgedünnt, höchstens "
                                                     "\\d,\\d{3} Hz vom Ablaufplan entfernt")))
        << thinned;
    EXPECT_NE(imported.Text.find("\n# Left out or changed: noise voices left out (the library's "
                                 "sound plays instead); a tone-set of noise alone sets only the "
                                 "volume (line 2)\n"),
              std::string::npos);
    EXPECT_NE(imported.Text.find("# Left out or changed: the frequency thinned from 1"),
              std::string::npos);
}
