#include "application_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

const QLocale kDanish(QLocale::Danish, QLocale::Denmark);

void useNarrowFonts() {
    // The windows are laid out for narrow sans-serif fonts; where the classic ones are
    // missing, take the nearest narrow ones rather than a wide default.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman"),
                                QStringLiteral("DejaVu Serif")});
}

void speakDanish() {
    // Qt's own texts. Without the translations installed they stay English; nothing else
    // depends on them.
    auto* translator = new QTranslator(qApp);
    if (translator->load(kDanish, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    // Month and day names in dates.
    QLocale::setDefault(kDanish);
}

} // namespace

QFont applicationFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void setUpApplication() {
    useNarrowFonts();
    QApplication::setFont(applicationFont());
    speakDanish();
}
