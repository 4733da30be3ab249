// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/JournalWindow.h"

#include "app/mainJournal.h"
#include "framework/Application.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kIdRole = Qt::UserRole;

QString EndText(TJournalEnd end) {
    switch (end) {
    case TJournalEnd::Stop:
        return TJournalWindow::tr("Stop");
    case TJournalEnd::Esc:
        return TJournalWindow::tr("Esc");
    case TJournalEnd::SessionEnd:
        return TJournalWindow::tr("Session end");
    case TJournalEnd::Signal:
        return TJournalWindow::tr("Signal");
    case TJournalEnd::WindowClosed:
        return TJournalWindow::tr("Window closed");
    case TJournalEnd::None:
        break;
    }
    return TJournalWindow::tr("Cut off");
}

QString StartText(const TJournalRun& run) {
    return QLocale().toString(QDateTime::fromMSecsSinceEpoch(run.Start.WallMs).toLocalTime(),
                              QLocale::ShortFormat);
}

QString Time(int64_t ms) {
    return QString::fromStdString(FormatSessionTime(ms));
}

QString MarkText(const TJournalMark& mark) {
    QString text = TJournalWindow::tr("%1  Bookmark %2").arg(Time(mark.Ms)).arg(mark.Number);
    if (!mark.Note.empty()) text += QStringLiteral(": ") + QString::fromStdString(mark.Note);
    return text;
}
} // namespace

// ---- The picture

TJournalView::TJournalView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("JournalPlot"));
    setMinimumSize(320, 160);
}

void TJournalView::Show(const TJournalRun* run) {
    plot_.reset();
    shown_ = run ? std::make_unique<const TSession>(JournalRunSession(*run)) : nullptr;
    if (shown_) plot_ = std::make_unique<TSessionPlot>(*shown_);
    marks_ = run ? run->Marks : std::vector<TJournalMark>{};
    picture_ = QImage();
    update();
}

void TJournalView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!plot_) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    if (picture_.size() != size()) {
        picture_ = plot_->Render(size());
        QPainter marks(&picture_);
        const QRect area = plot_->CurveArea(rect());
        marks.setPen(QPen(QColor::fromRgb(kBookmarkColour), 2.0, Qt::DashLine));
        for (const TJournalMark& m : marks_) {
            const double x = plot_->PointAt(rect(), m.Ms, 0).x();
            marks.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
            marks.drawText(QPointF(x + 3, area.top() + 11), QString::number(m.Number));
        }
    }
    painter.drawImage(0, 0, picture_);
}

void TJournalView::resizeEvent(QResizeEvent*) {
    picture_ = QImage();
}

// ---- The window

TJournalWindow::TJournalWindow(TMainJournal& journal, QWidget* owner)
    : QDialog(owner), journal_(journal), runs_(new QTreeWidget(this)),
      marks_(new QListWidget(this)), view_(new TJournalView(this)) {
    setObjectName(QStringLiteral("JournalWindow"));
    setWindowTitle(tr("Journal"));
    runs_->setObjectName(QStringLiteral("JournalRuns"));
    runs_->setRootIsDecorated(false);
    runs_->setHeaderLabels({tr("Start"), tr("Length"), tr("Session or frequency"), tr("End")});
    runs_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    marks_->setObjectName(QStringLiteral("JournalMarks"));

    note_ = new QPushButton(tr("Note..."), this);
    note_->setObjectName(QStringLiteral("JournalNote"));
    save_ = new QPushButton(tr("Save as Session..."), this);
    save_->setObjectName(QStringLiteral("JournalSave"));
    delete_ = new QPushButton(tr("Delete"), this);
    delete_->setObjectName(QStringLiteral("JournalDelete"));
    deleteAll_ = new QPushButton(tr("Delete All"), this);
    deleteAll_->setObjectName(QStringLiteral("JournalDeleteAll"));
    auto* close = new QPushButton(tr("Close"), this);

    auto* lower = new QHBoxLayout;
    lower->addWidget(marks_, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {note_, save_, delete_, deleteAll_, close})
        buttons->addWidget(b);
    buttons->addStretch(1);
    lower->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(runs_, 2);
    layout->addWidget(view_, 3);
    layout->addLayout(lower, 1);
    resize(720, 560);

    ChooseFile = [](QWidget* parent, const QString& suggested) {
        return QFileDialog::getSaveFileName(parent, tr("Save as Session"), suggested,
                                            tr("Velmora Sessions (*.vsession)"));
    };
    AskNote = [](QWidget* parent, QString& note) {
        bool ok = false;
        const QString text = QInputDialog::getText(parent, tr("Note"), tr("A short note:"),
                                                   QLineEdit::Normal, note, &ok);
        if (ok) note = text;
        return ok;
    };
    ConfirmDeleteAll = [](QWidget* parent) {
        return QMessageBox::question(parent, tr("Delete All"),
                                     tr("Delete every run of the journal?")) == QMessageBox::Yes;
    };

    connect(runs_, &QTreeWidget::currentItemChanged, this,
            [this] { Guard([this] { ShowSelected(); }); });
    connect(marks_, &QListWidget::currentRowChanged, this,
            [this] { note_->setEnabled(Selected() && marks_->currentRow() >= 0); });
    connect(note_, &QPushButton::clicked, this, [this] { Guard([this] { EditNote(); }); });
    connect(save_, &QPushButton::clicked, this, [this] { Guard([this] { SaveAsSession(); }); });
    connect(delete_, &QPushButton::clicked, this, [this] { Guard([this] { DeleteRun(); }); });
    connect(deleteAll_, &QPushButton::clicked, this, [this] { Guard([this] { DeleteAll(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    Reload();
}

void TJournalWindow::Reload() {
    const TJournalRun* selected = Selected();
    const int64_t keep = selected ? selected->Id : 0;
    const int mark = marks_->currentRow();
    contents_ = journal_.Journal().Read();
    const QSignalBlocker block(runs_);
    runs_->clear();
    for (auto run = contents_.Runs.rbegin(); run != contents_.Runs.rend(); ++run) {
        auto* item = new QTreeWidgetItem(runs_);
        item->setData(0, kIdRole, QVariant::fromValue<qlonglong>(run->Id));
        item->setText(0, StartText(*run));
        item->setText(1, Time(run->LengthMs));
        const bool running = journal_.Journal().RunId() == run->Id;
        item->setText(2,
                      run->Start.SessionTitle.empty()
                          ? tr("%1 Hz").arg(static_cast<double>(run->Start.FrequencyMilli) / 1000.0)
                          : QString::fromStdString(run->Start.SessionTitle));
        item->setText(3, running ? tr("Running") : EndText(run->End));
    }
    Select(keep);
    if (keep != 0 && mark >= 0 && mark < marks_->count()) marks_->setCurrentRow(mark);
    deleteAll_->setEnabled(!contents_.Runs.empty());
}

const TJournalRun* TJournalWindow::Selected() const {
    const QTreeWidgetItem* item = runs_->currentItem();
    if (!item) return nullptr;
    const int64_t id = item->data(0, kIdRole).toLongLong();
    for (const TJournalRun& run : contents_.Runs)
        if (run.Id == id) return &run;
    return nullptr;
}

void TJournalWindow::Select(int64_t runId) {
    {
        const QSignalBlocker block(runs_);
        runs_->setCurrentItem(nullptr);
        for (int i = 0; i < runs_->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = runs_->topLevelItem(i);
            if (item->data(0, kIdRole).toLongLong() == runId) runs_->setCurrentItem(item);
        }
    }
    ShowSelected();
}

void TJournalWindow::SelectMark(int number) {
    const TJournalRun* run = Selected();
    if (!run) return;
    for (size_t i = 0; i < run->Marks.size(); ++i)
        if (run->Marks[i].Number == number) marks_->setCurrentRow(static_cast<int>(i));
}

void TJournalWindow::ShowSelected() {
    const TJournalRun* run = Selected();
    view_->Show(run);
    ShowMarks();
    save_->setEnabled(run != nullptr);
    delete_->setEnabled(run != nullptr);
}

void TJournalWindow::ShowMarks() {
    marks_->clear();
    if (const TJournalRun* run = Selected())
        for (const TJournalMark& m : run->Marks)
            marks_->addItem(MarkText(m));
    note_->setEnabled(false);
}

void TJournalWindow::SaveAsSession() {
    const TJournalRun* run = Selected();
    if (!run) return;
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(run->Start.WallMs).toLocalTime();
    const QString title = tr("Run of %1").arg(QLocale().toString(start, QLocale::ShortFormat));
    const QString suggested =
        QDir::home().filePath(start.toString(QStringLiteral("'run-'yyyyMMdd-HHmm'.vsession'")));
    QString path = ChooseFile(this, suggested);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".vsession");
    WriteFileAtomically(path.toStdString(), JournalSessionText(*run, title.toStdString()));
}

void TJournalWindow::EditNote() {
    const TJournalRun* run = Selected();
    const int row = marks_->currentRow();
    if (!run || row < 0 || static_cast<size_t>(row) >= run->Marks.size()) return;
    const TJournalMark mark = run->Marks[static_cast<size_t>(row)];
    QString note = QString::fromStdString(mark.Note);
    if (!AskNote(this, note)) return;
    journal_.Journal().Note(run->Id, mark.Number, note.trimmed().toStdString());
    Reload();
    marks_->setCurrentRow(row);
}

void TJournalWindow::DeleteRun() {
    const TJournalRun* run = Selected();
    if (!run) return;
    journal_.Journal().DeleteRun(run->Id);
    Reload();
}

void TJournalWindow::DeleteAll() {
    if (contents_.Runs.empty() || !ConfirmDeleteAll(this)) return;
    journal_.Journal().DeleteAll();
    Reload();
}
