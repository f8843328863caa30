#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAbstractButton;

namespace framework {

// Makes a set of exclusive radio buttons one Tab stop, on the checked button (the first
// one while none is checked), as desktop toolkits do: Tab into the set lands on the chosen
// item, so that Space there changes nothing; the arrow keys move between the items. Qt's
// own rule would keep the stop on whichever button last had the focus.
//
//   auto* stop = new RadioTabStop({titel, instruktor, skuespiller, baandnavn}, group);
class RadioTabStop : public QObject {
    Q_OBJECT
public:
    RadioTabStop(const QList<QAbstractButton*>& buttons, QObject* parent);

    // Puts the stop on the checked button; runs by itself whenever a button is toggled.
    void update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPointer<QAbstractButton>> m_buttons;
};

} // namespace framework
