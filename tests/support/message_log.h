#pragma once

#include "framework/message_box.h"

#include <QStringList>
#include <deque>
#include <vector>

// Records every message the program shows and answers from a queue (OK / the default
// button when the queue is empty).
class MessageLog {
public:
    MessageLog()
        : m_scope([this](const framework::MessageRequest& request) {
              shown.push_back(request);
              if (!answers.empty()) {
                  auto answer = answers.front();
                  answers.pop_front();
                  return answer;
              }
              return request.defaultButton;
          }) {}

    std::vector<framework::MessageRequest> shown;
    std::deque<framework::MessageButton> answers;

    QStringList texts() const {
        QStringList list;
        for (const auto& r : shown)
            list << r.text;
        return list;
    }
    QStringList captions() const {
        QStringList list;
        for (const auto& r : shown)
            list << r.caption;
        return list;
    }
    // Forgets what was shown so far; queued answers stay.
    void clear() { shown.clear(); }

private:
    framework::ScopedMessageHandler m_scope;
};
