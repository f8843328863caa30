#include "report_layout.h"

namespace framework::report {

Band& Band::addText(double left, double top, const QString& text, const FontSpec& font) {
    return addField(left, top, font, [text](const PageContext&) { return text; });
}

Band& Band::addField(double left, double top, const FontSpec& font, TextSource source, double width,
                     Qt::Alignment alignment) {
    texts.push_back(TextItem{QPointF(left, top), width, alignment, font, std::move(source)});
    return *this;
}

Band& Band::addLine(double left, double top, double length, double frameHeight) {
    lines.push_back(LineItem{QPointF(left, top), length, frameHeight});
    return *this;
}

} // namespace framework::report
