#pragma once

#include "reports/ReportPreview.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QList>
#include <QStringList>

// What the print screens' tests look at: the open previews and what a label showed when painted.

inline QList<ReportPreview*> previews() {
    QList<ReportPreview*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<ReportPreview*>(w); p && p->isVisible()) out << p;
    return out;
}

inline void closePreviews() {
    for (ReportPreview* p : previews())
        p->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Installed on a label: the texts it had each time it was painted.
struct PaintedTexts : QObject {
    QStringList texts;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) texts << static_cast<QLabel*>(o)->text();
        return false;
    }
};
