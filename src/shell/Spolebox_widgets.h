#pragma once

// Helpers shared by the files that build and run the main window.

#include <QLabel>
#include <QString>
#include <QWidget>

namespace mainform {

constexpr int kClientWidth = 538;
constexpr int kClientHeight = 453;
constexpr int kStatusBarHeight = 19;
// A recording's cast list holds at most this many characters.
constexpr int kCastListSize = 250;

const QString kCastList = QStringLiteral("SkuespillereListe");
const QString kActorId = QStringLiteral("SkuespillerAutoInc");

// An actor's token in a cast list: "*", the actor's number, "*".
inline QString castToken(qint64 actorId) {
    return u'*' + QString::number(actorId) + u'*';
}

inline QLabel* label(const QString& text, QWidget* parent, int x, int y, int width = 70) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, width, 21);
    return l;
}

template <typename Control>
inline Control* control(const char* name, QWidget* parent, int x, int y, int width, int height = 21) {
    auto* c = new Control(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(x, y, width, height);
    return c;
}

} // namespace mainform
