#include "text_fit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace framework {

namespace {

constexpr int kLineEditMargin = 2; // QLineEdit's own space on either side of its text

} // namespace

QString widestText(const QFontMetrics& metrics, QStringView characters, int length) {
    if (characters.isEmpty() || length <= 0)
        return QString();
    QChar widest = characters.front();
    for (QChar c : characters) {
        if (metrics.horizontalAdvance(c) > metrics.horizontalAdvance(widest))
            widest = c;
    }
    return QString(length, widest);
}

QString widestName(const QFontMetrics& metrics, int size) {
    return widestText(metrics, u"ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ0123456789", size);
}

QString widestNumber(const QFontMetrics& metrics, int digits) {
    return widestText(metrics, u"0123456789", digits);
}

int widthToShow(const QLineEdit& edit, const QString& text) {
    // As QLineEdit sizes itself, for this text instead of its standard number of characters.
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.rect = edit.contentsRect();
    option.lineWidth = edit.hasFrame()
                           ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit)
                           : 0;
    const QMargins margins = edit.textMargins();
    const QSize contents(edit.fontMetrics().horizontalAdvance(text) + 2 * kLineEditMargin +
                             margins.left() + margins.right(),
                         edit.fontMetrics().height());
    return edit.style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, &edit).width();
}

int widthToShow(const QLabel& label, const QString& text) {
    // The label's own measure, taken on a twin that shows the text.
    QLabel twin(text);
    twin.setFont(label.font());
    twin.setFrameStyle(label.frameStyle());
    twin.setLineWidth(label.lineWidth());
    twin.setIndent(label.indent());
    twin.setMargin(label.margin());
    twin.setContentsMargins(label.contentsMargins());
    return twin.sizeHint().width();
}

} // namespace framework
