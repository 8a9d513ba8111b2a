// SPDX-License-Identifier: MIT
#include "boxwatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>

BoxWatcher::BoxWatcher()
{
    QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
    timer.start(pollMs);
}

void BoxWatcher::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
    QPointer<QMessageBox> guard(box);
    QTest::keyClick(box, Qt::Key_Return);
    // A box that ignored the key would be recorded again on the next poll;
    // close it so that a failing test ends instead of hanging.
    if (guard && guard->isVisible()) {
        seen.last().text += " [not dismissed by Return]";
        guard->done(0);
    }
}
