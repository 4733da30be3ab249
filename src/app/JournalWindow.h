// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Journal..." window: the past runs, newest first, with their start, length, session or
// frequency and end; the selected run's frequency over time on the Session window's picture
// (SessionPlot.h) with its bookmarks; a note for a bookmark; the run saved as a session file;
// a run or all of them deleted. The ways a file, a note and a yes are asked for can be replaced
// (tests answer without a dialog).

#include "journal/Journal.h"
#include "run/SessionPlot.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

class QListWidget;
class QPushButton;
class QTreeWidget;
class TMainJournal;

// The picture of one run with a line at each bookmark.
class TJournalView : public QWidget {
    Q_OBJECT
public:
    explicit TJournalView(QWidget* parent);
    // Draws a copy of the run; none when run is null.
    void Show(const TJournalRun* run);
    const TSessionPlot* Plot() const { return plot_.get(); }
    const std::vector<TJournalMark>& Marks() const { return marks_; }

    static constexpr QRgb kBookmarkColour = 0xFF10A040;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<const TSession> shown_;
    std::unique_ptr<TSessionPlot> plot_;
    std::vector<TJournalMark> marks_;
    QImage picture_;
};

class TJournalWindow : public QDialog {
    Q_OBJECT
public:
    TJournalWindow(TMainJournal& journal, QWidget* owner);

    // Reads the journal afresh, keeping the selected run where it is still there.
    void Reload();
    const TJournalContents& Contents() const { return contents_; }
    // The run selected; null when none is.
    const TJournalRun* Selected() const;
    void Select(int64_t runId);
    void SelectMark(int number);

    void SaveAsSession();
    void EditNote();
    void DeleteRun();
    void DeleteAll();

    QTreeWidget* Runs() const { return runs_; }
    QListWidget* MarkList() const { return marks_; }
    TJournalView* View() const { return view_; }

    std::function<QString(QWidget* owner, const QString& suggested)> ChooseFile;
    std::function<bool(QWidget* owner, QString& note)> AskNote;
    std::function<bool(QWidget* owner)> ConfirmDeleteAll;

private:
    void ShowSelected();
    void ShowMarks();

    TMainJournal& journal_;
    TJournalContents contents_;
    QTreeWidget* runs_;
    QListWidget* marks_;
    TJournalView* view_;
    QPushButton* note_;
    QPushButton* save_;
    QPushButton* delete_;
    QPushButton* deleteAll_;
};
