#include "message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace framework {

namespace {

MessageHandler& currentHandler() {
    static MessageHandler handler;
    return handler;
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole buttonRole(MessageButton button) {
    switch (button) {
    case MessageButton::Ok:
        return QMessageBox::AcceptRole;
    case MessageButton::Cancel:
        return QMessageBox::RejectRole;
    case MessageButton::Yes:
        return QMessageBox::YesRole;
    case MessageButton::No:
        return QMessageBox::NoRole;
    case MessageButton::None:
        break;
    }
    return QMessageBox::InvalidRole;
}

bool contains(const std::vector<MessageButton>& buttons, MessageButton button) {
    return std::find(buttons.begin(), buttons.end(), button) != buttons.end();
}

// What Escape (or closing the box) answers.
MessageButton escapeAnswer(const std::vector<MessageButton>& buttons) {
    if (contains(buttons, MessageButton::Cancel))
        return MessageButton::Cancel;
    if (contains(buttons, MessageButton::No))
        return MessageButton::No;
    return buttons.size() == 1 ? buttons.front() : MessageButton::None;
}

MessageRequest request(const QString& caption, const QString& text, MessageIcon icon,
                       std::vector<MessageButton> buttons, MessageButton defaultButton) {
    MessageRequest r;
    r.caption = caption;
    r.text = text;
    r.icon = icon;
    r.buttons = std::move(buttons);
    r.defaultButton = defaultButton;
    return r;
}

} // namespace

QString buttonCaption(MessageButton button) {
    switch (button) {
    case MessageButton::Ok:
        return QStringLiteral("OK");
    case MessageButton::Cancel:
        return QStringLiteral("Cancel");
    case MessageButton::Yes:
        return QStringLiteral("Yes");
    case MessageButton::No:
        return QStringLiteral("No");
    case MessageButton::None:
        break;
    }
    return QString();
}

MessageHandler setMessageHandler(MessageHandler handler) {
    MessageHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}

MessageButton showMessage(const MessageRequest& request) {
    // Copy: the handler may replace itself while it runs.
    const MessageHandler handler = currentHandler();
    return handler ? handler(request) : showMessageBox(request);
}

MessageButton showMessageBox(const MessageRequest& request) {
    QMessageBox box(QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(request.caption);
    box.setText(request.text);
    box.setIcon(boxIcon(request.icon));

    std::vector<std::pair<QAbstractButton*, MessageButton>> buttons;
    for (MessageButton b : request.buttons) {
        QPushButton* button = box.addButton(buttonCaption(b), buttonRole(b));
        button->setObjectName(buttonCaption(b) + QStringLiteral("Button"));
        buttons.emplace_back(button, b);
        if (b == request.defaultButton)
            box.setDefaultButton(button);
    }
    const MessageButton onEscape = escapeAnswer(request.buttons);
    for (const auto& [button, answer] : buttons) {
        if (answer == onEscape)
            box.setEscapeButton(button);
    }

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, answer] : buttons) {
        if (button == clicked)
            return answer;
    }
    return onEscape;
}

void systemError(const QString& text) {
    showMessage(request(QStringLiteral("Fejl..."), text, MessageIcon::Warning, {MessageButton::Ok},
                        MessageButton::Ok));
}

void errorMessage(const QString& text) {
    showMessage(request(QStringLiteral("Error"), text, MessageIcon::Error, {MessageButton::Ok},
                        MessageButton::Ok));
}

bool errorQuestion(const QString& text) {
    return showMessage(request(QStringLiteral("Error"), text, MessageIcon::Error,
                               {MessageButton::Yes, MessageButton::No}, MessageButton::Yes)) ==
           MessageButton::Yes;
}

void notice(const QString& text) {
    showMessage(request(QStringLiteral("OBS"), text, MessageIcon::Information, {MessageButton::Ok},
                        MessageButton::Ok));
}

void information(const QString& text) {
    showMessage(request(QStringLiteral("Information"), text, MessageIcon::Information,
                        {MessageButton::Ok}, MessageButton::Ok));
}

bool confirmDeleteRecord() {
    return showMessage(request(QStringLiteral("Confirm"), QStringLiteral("Delete record?"),
                               MessageIcon::Question, {MessageButton::Ok, MessageButton::Cancel},
                               MessageButton::Ok)) == MessageButton::Ok;
}

bool askYesNo(const QString& caption, const QString& text, MessageButton defaultButton) {
    return showMessage(request(caption, text, MessageIcon::Question,
                               {MessageButton::Yes, MessageButton::No}, defaultButton)) ==
           MessageButton::Yes;
}

} // namespace framework
