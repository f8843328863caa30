#include "OpsaetningFormUnit.h"

#include "data/Databoxunit.h"
#include "engine/table.h"
#include "framework/db_text.h"
#include "framework/error_display.h"

#include <QColorDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

namespace {

const QString kColorFri = QStringLiteral("ColorFri");
const QString kColorAktuelFri = QStringLiteral("ColorAktuelFri");
const QString kColorFilmSP = QStringLiteral("ColorFilmSP");
const QString kColorFilmLP = QStringLiteral("ColorFilmLP");
const QString kBilledePath = QStringLiteral("BilledePath");
const QString kAVIPath = QStringLiteral("AVIPath");
const QString kWAVPath = QStringLiteral("WAVPath");

// A raised panel showing a colour behind its caption, which a click changes.
class ColorPanel : public QLabel {
public:
    ColorPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
        setAlignment(Qt::AlignCenter);
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setAutoFillBackground(true);
        setCursor(Qt::PointingHandCursor);
    }
    std::function<void()> onClick;

    void showColor(const QColor& color) {
        QPalette p = palette();
        p.setColor(QPalette::Window, color);
        // The caption stays readable on dark and light colours alike.
        p.setColor(QPalette::WindowText, color.lightness() < 128 ? Qt::white : Qt::black);
        setPalette(p);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            onClick)
            onClick();
    }
};

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TOpsaetningForm::TOpsaetningForm(TDataBox& dataBox, DirectoryChooser chooseDirectory,
                                 QWidget* parent)
    : QDialog(parent), m_dataBox(dataBox), m_chooseDirectory(std::move(chooseDirectory)) {
    setObjectName(QStringLiteral("OpsaetningForm"));
    setWindowTitle(QStringLiteral("Opsætning"));
    // A fixed border and no title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    setFixedSize(409, 329);

    GroupBox1 = named(new QGroupBox(QStringLiteral("Farver på bånd oversigt"), this), "GroupBox1");
    GroupBox1->setGeometry(8, 8, 393, 113);
    const auto panel = [this](const char* name, const QString& caption, int x, int y,
                              void (TOpsaetningForm::*handler)()) {
        auto* p = named(new ColorPanel(caption, GroupBox1), name);
        p->setGeometry(x, y, 181, 37);
        p->onClick = [this, handler] { (this->*handler)(); };
        return p;
    };
    Panel1 = panel("Panel1", QStringLiteral("Fri blok"), 8, 24, &TOpsaetningForm::Panel1Click);
    Panel2 = panel("Panel2", QStringLiteral("Aktuelle frie blok"), 200, 24,
                   &TOpsaetningForm::Panel2Click);
    Panel3 = panel("Panel3", QStringLiteral("Post optaget med SP"), 8, 68,
                   &TOpsaetningForm::Panel3Click);
    Panel4 = panel("Panel4", QStringLiteral("Post optaget med LP"), 200, 68,
                   &TOpsaetningForm::Panel4Click);

    GroupBox2 = named(new QGroupBox(QStringLiteral("Diverse biblioteker"), this), "GroupBox2");
    GroupBox2->setGeometry(8, 128, 393, 153);
    const auto directoryRow = [this](const char* labelName, const QString& caption,
                                     const char* textName, const QString& field,
                                     const char* buttonName, int y,
                                     void (TOpsaetningForm::*handler)(), QLabel*& label,
                                     framework::DBText*& text, QToolButton*& button) {
        label = named(new QLabel(caption, GroupBox2), labelName);
        label->setGeometry(8, y, 120, 16);
        text = named(new framework::DBText(GroupBox2), textName);
        text->setGeometry(8, y + 18, 345, 21);
        text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        text->setDataSource(&m_dataBox.SystemSource());
        text->setDataField(field);
        button = named(new QToolButton(GroupBox2), buttonName);
        button->setGeometry(360, y + 17, 23, 23);
        button->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
        connect(button, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    directoryRow("Label1", QStringLiteral("Billede filer"), "DBText1", kBilledePath, "SpeedButton1",
                 20, &TOpsaetningForm::SpeedButton1Click, Label1, DBText1, SpeedButton1);
    directoryRow("Label2", QStringLiteral("AVI filer"), "DBText2", kAVIPath, "SpeedButton2", 62,
                 &TOpsaetningForm::SpeedButton2Click, Label2, DBText2, SpeedButton2);
    directoryRow("Label3", QStringLiteral("WAV filer"), "DBText3", kWAVPath, "SpeedButton3", 104,
                 &TOpsaetningForm::SpeedButton3Click, Label3, DBText3, SpeedButton3);

    BitBtn1 = named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    BitBtn1->setGeometry(166, 292, 77, 27);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(1); });

    ColorDialog1 = named(new QColorDialog(this), "ColorDialog1");
    ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);
    m_chooseColor = [this](const QColor& initial) { return runColorDialog(initial); };
}

qint64 TOpsaetningForm::colorValue(const QColor& color) {
    return qint64(color.red()) | qint64(color.green()) << 8 | qint64(color.blue()) << 16;
}

QColor TOpsaetningForm::colorOfValue(qint64 value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

engine::Table& TOpsaetningForm::systemTable() const {
    return m_dataBox.SystemTable();
}

void TOpsaetningForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    FormShow();
}

void TOpsaetningForm::FormShow() {
    setpanelcolor();
}

void TOpsaetningForm::setpanelcolor() {
    const engine::Table& table = systemTable();
    const auto colorOf = [&table](const QString& field) {
        if (!table.isActive())
            return QColor(Qt::black);
        return colorOfValue(table.fieldByName(field).asInteger());
    };
    static_cast<ColorPanel*>(Panel1)->showColor(colorOf(kColorFri));
    static_cast<ColorPanel*>(Panel2)->showColor(colorOf(kColorAktuelFri));
    static_cast<ColorPanel*>(Panel3)->showColor(colorOf(kColorFilmSP));
    static_cast<ColorPanel*>(Panel4)->showColor(colorOf(kColorFilmLP));
}

std::optional<QColor> TOpsaetningForm::runColorDialog(const QColor& initial) {
    ColorDialog1->setCurrentColor(initial);
    if (ColorDialog1->exec() != QDialog::Accepted)
        return std::nullopt;
    return ColorDialog1->selectedColor();
}

// The dialog starts from the colour last chosen in it, not from the panel's colour; a
// cancelled dialog still posts the row, unchanged.
void TOpsaetningForm::changeColor(const QString& fieldName) {
    storeChoice([&] {
        engine::Table& table = systemTable();
        table.edit();
        if (const std::optional<QColor> color = m_chooseColor(m_lastColor)) {
            m_lastColor = *color;
            table.fieldByName(fieldName).setAsInteger(colorValue(*color));
        }
        table.post();
        setpanelcolor();
    });
}

// A choice the settings table refuses (its file held by another program) has been reported;
// it is dropped rather than left pending in the shared table for a later post to meet.
void TOpsaetningForm::storeChoice(const std::function<void()>& change) {
    if (framework::guarded(change))
        return;
    engine::Table& table = systemTable();
    if (table.isActive() && table.isEditing())
        table.cancel();
    setpanelcolor();
}

void TOpsaetningForm::Panel1Click() {
    changeColor(kColorFri);
}
void TOpsaetningForm::Panel2Click() {
    changeColor(kColorAktuelFri);
}
void TOpsaetningForm::Panel3Click() {
    changeColor(kColorFilmSP);
}
void TOpsaetningForm::Panel4Click() {
    changeColor(kColorFilmLP);
}

// The field cuts a path longer than its 80 characters.
void TOpsaetningForm::changeDirectory(const QString& fieldName) {
    storeChoice([&] {
        const std::optional<QString> directory =
            m_chooseDirectory ? m_chooseDirectory() : std::nullopt;
        if (!directory)
            return;
        engine::Table& table = systemTable();
        table.edit();
        table.fieldByName(fieldName).setAsString(*directory);
        table.post();
    });
}

void TOpsaetningForm::SpeedButton1Click() {
    changeDirectory(kBilledePath);
}
void TOpsaetningForm::SpeedButton2Click() {
    changeDirectory(kAVIPath);
}
void TOpsaetningForm::SpeedButton3Click() {
    changeDirectory(kWAVPath);
}
