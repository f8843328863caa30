#pragma once

#include "framework/picture_loader.h"

#include <QTest>

// What one request to a picture loader ended in: the picture, or the message.
struct PictureAnswer {
    bool answered = false;
    QImage picture;
    QString message;
    int signals = 0;
};

// Asks the loader for a file and runs the event loop until it answers (at most waitMs).
inline PictureAnswer loadAndWait(framework::PictureLoader& loader, const QString& path,
                                 int waitMs = 60000) {
    PictureAnswer answer;
    const auto loaded = QObject::connect(&loader, &framework::PictureLoader::loaded,
                                         [&answer](const QString&, const QImage& picture) {
                                             answer.picture = picture;
                                             answer.answered = true;
                                             ++answer.signals;
                                         });
    const auto failed = QObject::connect(&loader, &framework::PictureLoader::failed,
                                         [&answer](const QString&, const QString& message) {
                                             answer.message = message;
                                             answer.answered = true;
                                             ++answer.signals;
                                         });
    loader.request(path);
    (void)QTest::qWaitFor([&answer] { return answer.answered; }, waitMs);
    QObject::disconnect(loaded);
    QObject::disconnect(failed);
    return answer;
}

// The same with a loader of its own.
inline PictureAnswer loadAndWait(const QString& path) {
    framework::PictureLoader loader;
    return loadAndWait(loader, path);
}
