// SPDX-License-Identifier: MIT
// Watches for modal message boxes in this process, records what each one
// says and dismisses it with a key press, as a user would.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <QVector>

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

class BoxWatcher
{
public:
    static const int pollMs = 10;

    BoxWatcher();

    const QVector<SeenBox> &boxes() const { return seen; }

private:
    void poll();

    QTimer timer;
    QVector<SeenBox> seen;
};
