#include "reports/PrintProgress.h"

#include "app/basInputFlush.h"
#include "core/basFormat.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

int PrintProgress::showAfterMs = 1000;

namespace {

QBoxLayout* boxHolding(QLayout* layout, QWidget* w, int* index) {
    if (!layout) return nullptr;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w) {
            if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
                *index = i;
                return box;
            }
            return nullptr;
        }
        if (QBoxLayout* inner = boxHolding(item->layout(), w, index)) return inner;
    }
    return nullptr;
}

QString counted(int n) {
    return fnFormat(QVariant(n), QStringLiteral("#,##0"));
}

} // namespace

PrintProgress::PrintProgress(QLabel* lblMsg) : QWidget(lblMsg->parentWidget()) {
    setObjectName(QStringLiteral("PrintProgress"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("barProgress"));
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(QStringLiteral("進み具合"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblCount"));
    m_stopButton = new QPushButton(QStringLiteral("中止(Esc)"), this);
    m_stopButton->setObjectName(QStringLiteral("cmdStop"));
    m_stopButton->setFocusPolicy(Qt::NoFocus);
    connect(m_stopButton, &QPushButton::clicked, this, [this] { m_stop = true; });
    row->addWidget(m_bar, 1);
    row->addWidget(m_count);
    row->addWidget(m_stopButton);
    hide();
    int index = -1;
    QWidget* holder = lblMsg->parentWidget();
    if (QBoxLayout* box = boxHolding(holder ? holder->layout() : nullptr, lblMsg, &index))
        box->insertWidget(index + 1, this, 1);
    m_clock.start();
}

bool PrintProgress::step(int done, int total) {
    if (m_stop) return false;
    if (total > 0) {
        m_bar->setRange(0, total);
        m_bar->setValue(qBound(0, done, total));
        const QString whole = counted(total) + QStringLiteral(" / ") + counted(total);
        // As wide as the count will get, so it is never cut while it grows.
        m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(whole));
        m_count->setText(counted(done) + QStringLiteral(" / ") + counted(total));
    } else {
        m_bar->setRange(0, 0); // the total is not known: a moving bar
        m_count->setText(done > 0 ? counted(done) : QString());
    }
    if (isHidden() && m_clock.elapsed() >= showAfterMs) show();
    // Repaint and take the stop button's click or Escape; everything else typed meanwhile goes.
    qApp->installEventFilter(this);
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    return !m_stop;
}

bool PrintProgress::eventFilter(QObject* watched, QEvent* event) {
    if (!fnIsUserInput(event->type())) return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_stop = true;
        return true;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        // The window hands a click on to the widget under it; only the stop button may take one.
        if (watched->isWindowType()) return false;
        return !(watched == m_stopButton && isVisible());
    default:
        return true;
    }
}
