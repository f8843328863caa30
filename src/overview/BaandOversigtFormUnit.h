#pragma once

#include "engine/table.h"
#include "free_time.h"
#include "tape_rows.h"

#include <QDialog>
#include <QStringList>

class PaintBox;
class QFrame;
class QLabel;
class QListView;
class QPainter;
class QPushButton;
class FreeBlockListModel;
class TDataBox;
class TProgressBarForm;
class TapeRowsArea;
class TapeRowsView;

// The tape overview "Find et bånd": one row per free block of every tape, the largest
// first, each row drawing its whole tape as coloured panels on a common time scale. A
// double click on a recording's panel makes it the main window's current recording.
// Created fresh for every showing (see openTapeOverview); VideoTable2 is linked to the data
// module's BaandTable, so the window must go before the data module does.
class TBaandOversigtForm : public QDialog {
    Q_OBJECT
public:
    TBaandOversigtForm(TDataBox& dataBox, TProgressBarForm& progress, QWidget* parent = nullptr);
    ~TBaandOversigtForm() override;

    // Header.
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;      // "Bånd"
    PaintBox* PaintBox1 = nullptr; // the ruler
    QLabel* Label2 = nullptr;      // "Fri"
    QLabel* Label3 = nullptr;      // "blok"
    // Rows area.
    TapeRowsArea* ScrollBox = nullptr;
    TapeRowsView* RowsView = nullptr;
    QListView* ListBox1 = nullptr; // the free-block entries, hidden
    // Footer with the "Luk" button and the colour legend.
    QFrame* Panel2 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QFrame* Panel3 = nullptr; // current free block
    QFrame* Panel4 = nullptr; // other free block
    QFrame* Panel5 = nullptr; // SP recording
    QFrame* Panel6 = nullptr; // LP recording

    // The recordings of BaandTable's current tape, in Starttid order.
    engine::Table& VideoTable2() { return m_videoTable2; }

    // Computes every free block of every tape and builds the rows from them, while the
    // progress window shows. Call once, before showing the window.
    void startberegnpaneler();

    void FormShow();
    void PaintBox1Paint(QPainter& canvas);
    // Double click on a recording's panel, whose Tag is the recording's VideoAutoInc.
    void PanelDblClick(qint64 tag);

    // What the computation left: the rows, the sorted entries and the scale maximum.
    const overview::TapeRows& rows() const { return m_rows; }
    QStringList entries() const;
    overview::Minutes scaleMaximum() const { return m_scaleMaximum; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildHeader();
    void buildRowsArea();
    void buildFooter();
    void colourRows();

    TDataBox& m_dataBox;
    TProgressBarForm& m_progress;
    engine::Table m_videoTable2;

    FreeBlockListModel* m_entryModel = nullptr;
    overview::Minutes m_scaleMaximum = 0;
    overview::TapeRows m_rows;
};

// The menu handler of "Vis fri tid på bånd" (F10): creates the overview, computes it with
// hints showing at once and staying 30 seconds, shows it modally over mainWindow, and frees
// it again with the program's usual hint timings restored. A failing computation is shown
// in the standard error display, and no overview comes up.
void openTapeOverview(TDataBox& dataBox, TProgressBarForm& progress, QWidget* mainWindow);
