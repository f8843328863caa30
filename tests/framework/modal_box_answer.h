#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <memory>

// Answers the next real modal message box from a timer: records what the box showed, then
// clicks the button with the given caption (an empty caption presses Escape). The test
// checks the record after the box has closed, so that a failed check never leaves a box
// open.
struct SeenBox {
    bool seen = false;
    QString objectName;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    bool applicationModal = false;
};

inline std::shared_ptr<SeenBox> answerNextBox(const QString& buttonCaption) {
    auto seen = std::make_shared<SeenBox>();
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (++*tries > 500) // five seconds without a box: give up
                timer->deleteLater();
            return;
        }
        timer->stop();
        timer->deleteLater();
        seen->seen = true;
        seen->objectName = box->objectName();
        seen->caption = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->applicationModal = box->windowModality() == Qt::ApplicationModal;
        for (QAbstractButton* b : box->buttons())
            seen->buttons << b->text();
        if (box->defaultButton())
            seen->defaultButton = box->defaultButton()->text();
        if (buttonCaption.isEmpty()) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(box, &escape);
            return;
        }
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == buttonCaption) {
                b->click();
                return;
            }
        }
        box->reject(); // no such button: close it anyway, the test sees the buttons
    });
    timer->start();
    return seen;
}
