#include "search_result_form.h"

#include "data/schema.h"
#include "framework/db_grid.h"
#include "framework/error_display.h"
#include "framework/message_box.h"
#include "framework/text_fit.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 27;

} // namespace

SearchResultForm::SearchResultForm(engine::Session& session, const QString& objectName,
                                   const QString& caption, const QSize& size, QWidget* parent)
    : QDialog(parent), m_query(session), m_dataSource(this) {
    setObjectName(objectName);
    setWindowTitle(caption);
    resize(size);

    m_query.setAliasName(QString::fromUtf8(schema::kAlias));
    m_dataSource.setObjectName(QStringLiteral("DataSource1"));
    m_dataSource.setDataSet(&m_query);

    DBGrid1 = new framework::DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setReadOnly(true);
    DBGrid1->setDataSource(&m_dataSource);
    connect(DBGrid1, &framework::DBGrid::dblClick, this, [this] { DBGrid1DblClick(); });

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    // Enter in the grid picks the hit.
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(kResultOk); });

    BitBtn2 = new QPushButton(QStringLiteral("Annuller"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    BitBtn2->setAutoDefault(false);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(kResultCancel); });
    placeControls();
}

void SearchResultForm::placeControls() {
    const int buttonTop = height() - kMargin - kButtonHeight;
    DBGrid1->setGeometry(kMargin, kMargin, width() - 2 * kMargin, buttonTop - 2 * kMargin);
    BitBtn1->setGeometry(width() - 2 * (kMargin + kButtonWidth), buttonTop, kButtonWidth,
                         kButtonHeight);
    BitBtn2->setGeometry(width() - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
}

// Mend of the written widths, made for a smaller font than most machines have: the
// tape-name column holds the longest tape name in full, and the window grows (never
// shrinks) until every column shows beside the vertical scroll bar.
void SearchResultForm::fitColumns() {
    const auto& columns = DBGrid1->columns();
    const int tapeNameSize = schema::tapes().field(QStringLiteral("BaandNavn"))->size;
    for (int c = 0; c < int(columns.size()); ++c) {
        if (columns[std::size_t(c)].fieldName == QLatin1String("Baandnummer"))
            DBGrid1->fitColumnTo(c, framework::widestName(DBGrid1->fontMetrics(), tapeNameSize));
    }
    const int needed = DBGrid1->widthForAllColumns() + 2 * kMargin;
    if (needed > width()) {
        resize(needed, height());
        placeControls();
    }
}

SearchResultForm::~SearchResultForm() {
    // The grid lets go of the hits before the query goes.
    m_dataSource.setDataSet(nullptr);
}

void SearchResultForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

void SearchResultForm::DBGrid1DblClick() {
    done(kResultOk);
}

void SearchResultForm::FormCloseQuery(int result) {
    if (result != kResultOk)
        return;
    qint64 id = 0;
    const bool read = framework::guarded([&] {
        if (m_query.isActive() && !m_query.isEmpty())
            id = m_query.fieldByName(QStringLiteral("videoautoinc")).asInteger();
    });
    if (read && id != 0)
        Q_EMIT hitChosen(id);
}

void SearchResultForm::done(int result) {
    FormCloseQuery(result);
    QDialog::done(result);
    // The hits go with the window.
    m_query.close();
}

void SearchResultForm::showHits(const QString& nothingFound) {
    if (m_query.isEmpty()) {
        m_query.close();
        framework::notice(nothingFound);
        return;
    }
    exec();
}
