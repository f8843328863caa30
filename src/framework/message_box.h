#pragma once

#include <QString>
#include <functional>
#include <vector>

// Every message the program shows to the user goes through showMessage(), so that a test
// can install a handler that answers instead of a modal box that blocks.
namespace framework {

// The answers, numbered like the classic modal results.
enum class MessageButton { None = 0, Ok = 1, Cancel = 2, Yes = 6, No = 7 };

enum class MessageIcon { None, Information, Warning, Error, Question };

struct MessageRequest {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::None;
    std::vector<MessageButton> buttons{MessageButton::Ok};
    MessageButton defaultButton = MessageButton::Ok;
};

using MessageHandler = std::function<MessageButton(const MessageRequest&)>;

// Replaces the handler; returns the previous one. An empty handler restores the real box.
MessageHandler setMessageHandler(MessageHandler handler);

// Shows the request through the current handler and returns the answer.
MessageButton showMessage(const MessageRequest& request);

// The default handler: a real application-modal QMessageBox (objectName "MessageBox") with
// exactly the given caption, icon and buttons. Escape answers Cancel, else No, else the only
// button.
MessageButton showMessageBox(const MessageRequest& request);

// Installs a handler for the lifetime of the object and puts the previous one back.
class ScopedMessageHandler {
public:
    explicit ScopedMessageHandler(MessageHandler handler)
        : m_previous(setMessageHandler(std::move(handler))) {}
    ~ScopedMessageHandler() { setMessageHandler(std::move(m_previous)); }
    ScopedMessageHandler(const ScopedMessageHandler&) = delete;
    ScopedMessageHandler& operator=(const ScopedMessageHandler&) = delete;

private:
    MessageHandler m_previous;
};

// The program's kinds of message.

// The system box "Fejl..." (exclamation icon, OK): rule violations and missing pictures.
void systemError(const QString& text);
// The message dialog of the error kind ("Error", error icon, OK): start-up failures and
// refused deletes.
void errorMessage(const QString& text);
// The error kind with "Yes" and "No" (Yes is the default); true when the user answers Yes.
bool errorQuestion(const QString& text);
// A notice "OBS" (information icon, OK), e.g. when a search finds nothing.
void notice(const QString& text);
// "Information" (information icon, OK).
void information(const QString& text);
// The editable grids' "Delete record?" ("Confirm", question icon, OK and Cancel); true on OK.
bool confirmDeleteRecord();
// A Yes/No question with its own caption and default; true when the user answers Yes.
bool askYesNo(const QString& caption, const QString& text, MessageButton defaultButton);

// Button captions as shown: "OK", "Cancel", "Yes", "No".
QString buttonCaption(MessageButton button);

} // namespace framework
