#include "BaandOversigtFormUnit.h"

#include "ProgressBarFormUnit.h"
#include "data/Databoxunit.h"
#include "data/schema.h"
#include "engine/database.h"
#include "engine/session.h"
#include "framework/error_display.h"
#include "free_block_list_model.h"
#include "free_time_computation.h"
#include "paint_box.h"
#include "ruler.h"
#include "stored_colour.h"
#include "tape_rows_view.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>

namespace {

constexpr int kClientWidth = 670;
constexpr int kClientHeight = 459;
constexpr int kBarHeight = 41; // header and footer

QLabel* label(QWidget* parent, const char* name, const char* text, int x, int y,
              bool bold = false) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromUtf8(name));
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    l->adjustSize();
    l->move(x, y);
    return l;
}

// MS Sans Serif 8 pt, or a sans serif about as narrow: the ruler's labels stand 29 pixels
// apart on the 600-minute scale and must not run into each other.
QFont windowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QFrame* raisedPanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromUtf8(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setGeometry(geometry);
    return panel;
}

QFrame* legendPanel(QWidget* parent, const char* name, int x, int y) {
    QFrame* panel = raisedPanel(parent, name, QRect(x, y, 53, 13));
    panel->setAutoFillBackground(true);
    return panel;
}

void setPanelColour(QFrame* panel, const QColor& colour) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
}

const QString kProgressCaption = QStringLiteral("Opretter skema");
const QString kComputing = QStringLiteral("Beregner fri tid");
const QString kBuilding = QStringLiteral("Opretter skema");

// The progress window is hidden again, however the computation ends.
class ShownWhileComputing {
public:
    explicit ShownWhileComputing(TProgressBarForm& progress) : m_progress(progress) {}
    ~ShownWhileComputing() { m_progress.hide(); }
    ShownWhileComputing(const ShownWhileComputing&) = delete;
    ShownWhileComputing& operator=(const ShownWhileComputing&) = delete;

private:
    TProgressBarForm& m_progress;
};

// A bar maximum below 0 (no entries at all) is shown as 0.
void setBarMaximum(QProgressBar* bar, int maximum) {
    bar->setMaximum(std::max(maximum, 0));
}

// Moves the bar when what it shows changes: a whole percent further (so every step when
// there are fewer than a hundred), and the last step. A hundred thousand rows would
// otherwise cost as many updates of the bar as rows.
void moveBar(QProgressBar* bar, int value) {
    const int maximum = bar->maximum();
    const auto percent = [maximum](int v) { return maximum > 0 ? qint64(v) * 100 / maximum : 0; };
    if (value == maximum || percent(value) != percent(bar->value()))
        bar->setValue(value);
}

} // namespace

TBaandOversigtForm::TBaandOversigtForm(TDataBox& dataBox, TProgressBarForm& progress,
                                       QWidget* parent)
    : QDialog(parent), m_dataBox(dataBox), m_progress(progress), m_videoTable2(dataBox.session()) {
    setObjectName(QStringLiteral("BaandOversigtForm"));
    setWindowTitle(QStringLiteral("Find et bånd"));
    // A fixed single border with the system menu and the minimise box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(windowFont());

    m_videoTable2.setAliasName(QString::fromUtf8(schema::kAlias));
    m_videoTable2.setTableName(schema::recordings().fileName);
    m_videoTable2.setIndexName(QStringLiteral("SecBaandnrStarttid"));
    m_videoTable2.setFieldDefs(schema::fieldsOf(
        schema::recordings(),
        {QStringLiteral("VideoAutoInc"), QStringLiteral("Starttid"),
         QStringLiteral("SpilletidSPLP"), QStringLiteral("SpilletidSP"),
         QStringLiteral("Hastighed"), QStringLiteral("Titel1"), QStringLiteral("Baandnummer")}));
    m_videoTable2.setMasterLink(&m_dataBox.BaandTable(), QStringLiteral("BaandNavn"));

    buildHeader();
    buildRowsArea();
    buildFooter();
}

TBaandOversigtForm::~TBaandOversigtForm() = default;

void TBaandOversigtForm::buildHeader() {
    Panel1 = raisedPanel(this, "Panel1", QRect(0, 0, kClientWidth, kBarHeight));
    Label1 = label(Panel1, "Label1", "Bånd", 0, 16, true);
    PaintBox1 = new PaintBox(Panel1);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setGeometry(32, 12, 585, 29);
    PaintBox1->onPaint = [this](QPainter& canvas) { PaintBox1Paint(canvas); };
    Label2 = label(Panel1, "Label2", "Fri", 624, 12, true);
    Label3 = label(Panel1, "Label3", "blok", 624, 24, true);
}

void TBaandOversigtForm::buildRowsArea() {
    RowsView = new TapeRowsView(m_rows);
    RowsView->setObjectName(QStringLiteral("RowsView"));
    RowsView->onPanelDoubleClick = [this](qint64 tag) { PanelDblClick(tag); };
    ScrollBox = new TapeRowsArea(RowsView, this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setGeometry(0, kBarHeight, kClientWidth, kClientHeight - 2 * kBarHeight);
    // A 2-pixel sunken border puts minute 0 of the rows under minute 0 of the ruler.
    ScrollBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ScrollBox->setLineWidth(2);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The rows follow the thumb while it is dragged.
    ScrollBox->verticalScrollBar()->setTracking(true);

    ListBox1 = new QListView(ScrollBox);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    m_entryModel = new FreeBlockListModel(ListBox1);
    ListBox1->setModel(m_entryModel);
    ListBox1->hide();
}

void TBaandOversigtForm::buildFooter() {
    Panel2 =
        raisedPanel(this, "Panel2", QRect(0, kClientHeight - kBarHeight, kClientWidth, kBarHeight));
    BitBtn2 = new QPushButton(QStringLiteral("Luk"), Panel2);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(12, 8, 75, 25);
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn2->setToolTip(QStringLiteral("Afslut båndoversigt"));
    BitBtn2->setDefault(true);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::accept);

    Panel3 = legendPanel(Panel2, "Panel3", 188, 4);
    label(Panel2, "Label4", "Aktuelle frie blok", 244, 4);
    Panel4 = legendPanel(Panel2, "Panel4", 188, 20);
    label(Panel2, "Label5", "Anden fri blok", 244, 20);
    Panel5 = legendPanel(Panel2, "Panel5", 380, 4);
    label(Panel2, "Label6", "Post optaget med SP", 436, 4);
    Panel6 = legendPanel(Panel2, "Panel6", 380, 20);
    label(Panel2, "Label7", "Post optaget med LP", 436, 20);
}

void TBaandOversigtForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (const QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        FormShow();
    }
    QDialog::showEvent(event);
}

void TBaandOversigtForm::keyPressEvent(QKeyEvent* event) {
    // The overview has no cancel button: Escape leaves it open. Enter presses "Luk".
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TBaandOversigtForm::FormShow() {
    engine::Table& settings = m_dataBox.SystemTable();
    setPanelColour(Panel3, overview::settingsColour(settings, QStringLiteral("ColorAktuelFri")));
    setPanelColour(Panel4, overview::settingsColour(settings, QStringLiteral("ColorFri")));
    setPanelColour(Panel5, overview::settingsColour(settings, QStringLiteral("ColorFilmSP")));
    setPanelColour(Panel6, overview::settingsColour(settings, QStringLiteral("ColorFilmLP")));
}

void TBaandOversigtForm::PaintBox1Paint(QPainter& canvas) {
    const int width = PaintBox1->width();
    canvas.drawLine(2, 20, width - 1, 20); // like the canvas, a line stops short of its end
    const overview::RulerLayout ruler = overview::rulerLayout(width, m_scaleMaximum);
    for (int x : ruler.ticks)
        canvas.drawLine(x, 15, x, 19);
    const int ascent = QFontMetrics(canvas.font()).ascent();
    for (const overview::RulerLabel& label : ruler.labels)
        canvas.drawText(QPoint(label.x, 1 + ascent), label.text);
}

void TBaandOversigtForm::startberegnpaneler() {
    engine::Table& tapes = m_dataBox.BaandTable();
    // Reading ends a pending edit of the tapes table first, as moving it would.
    tapes.checkBrowseMode();

    ShownWhileComputing shown(m_progress);
    m_progress.setWindowTitle(kProgressCaption);
    m_progress.Label4->setText(kComputing);
    m_progress.showAndPaint();
    QProgressBar* bar = m_progress.ProgressBar1;
    setBarMaximum(bar, tapes.recordCount());

    // Every row is read inside one read transaction: the catalogue files are locked once
    // rather than for each row. VideoTable2 would follow BaandTable tape by tape, a
    // re-query for each tape: the recordings are read once in the order of its index
    // instead, and grouped by tape name as its link compares names, every tape gets
    // exactly the rows the link would give it.
    overview::FreeTimeInput input;
    const std::shared_ptr<engine::Database> catalogue =
        m_dataBox.session().database(QString::fromUtf8(schema::kAlias));
    catalogue->transaction([&] { input = overview::readFreeTimeInput(tapes, *catalogue); });

    overview::FreeTimeProgress progress;
    progress.tapeRead = [bar](int recordNumber) { moveBar(bar, recordNumber); };
    progress.rowsStart = [this, bar](int maximum) {
        m_progress.setWindowTitle(kProgressCaption);
        m_progress.Label4->setText(kBuilding);
        bar->setValue(0);
        m_progress.paintNow();
        setBarMaximum(bar, maximum);
    };
    progress.rowBuilt = [bar](int position) { moveBar(bar, position); };
    overview::FreeTimeResult result = overview::computeFreeTime(std::move(input), progress);

    m_entryModel->setEntries(std::move(result.entries));
    m_scaleMaximum = result.scaleMaximum;
    m_rows = std::move(result.rows);
    m_rows.setRowsAreaWidth(ScrollBox->width());
    colourRows();
    ScrollBox->rowsChanged();

    // The tapes table is left where the walk through it and the locates would leave it:
    // on the tape of the last row built, or else on its last tape.
    if (result.lastRowTape >= 0)
        tapes.setRecNo(result.lastRowTape + 1);
    else
        tapes.last();
}

QStringList TBaandOversigtForm::entries() const {
    return m_entryModel->entries().texts();
}

void TBaandOversigtForm::colourRows() {
    engine::Table& settings = m_dataBox.SystemTable();
    m_rows.setKindColour(overview::kCurrentFree,
                         overview::settingsColour(settings, QStringLiteral("ColorAktuelFri")));
    m_rows.setKindColour(overview::kOtherFree,
                         overview::settingsColour(settings, QStringLiteral("ColorFri")));
    m_rows.setKindColour(overview::kRecordingSP,
                         overview::settingsColour(settings, QStringLiteral("ColorFilmSP")));
    m_rows.setKindColour(overview::kRecordingLP,
                         overview::settingsColour(settings, QStringLiteral("ColorFilmLP")));
}

void TBaandOversigtForm::PanelDblClick(qint64 tag) {
    framework::guarded([&] {
        // Not found: the main window stays on its recording; the overview closes anyway.
        m_dataBox.VideoTable().locate(QStringLiteral("videoautoinc"), tag, true);
        close();
    });
}
