#pragma once

#include "support/ScreenBench.h"
#include "ui/FormBase.h"

#include <QPushButton>
#include <QTimer>
#include <QTreeView>

// Drives a modal dialog while the code under test sits in its exec(): once a dialog of type T is
// the active modal widget and `ready` says it has settled, `drive` runs on it. Whatever is still
// open when the watchdog fires is rejected, so no test can hang on a modal loop.
template <class T> class ModalDriver {
public:
    ModalDriver(std::function<bool(T*)> ready, std::function<void(T*)> drive, int watchdogMs = 8000) {
        QTimer::singleShot(0, &m_context, [this, ready, drive] {
            const bool settled = QTest::qWaitFor(
                [&] {
                    if (!m_dialog)
                        saw = saw || (m_dialog = qobject_cast<T*>(QApplication::activeModalWidget()));
                    return m_dialog && (!m_dialog->isVisible() || ready(m_dialog));
                },
                5000);
            if ((driven = settled && m_dialog && m_dialog->isVisible())) drive(m_dialog);
        });
        QTimer::singleShot(watchdogMs, &m_context, [this] {
            timedOut = true;
            while (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                w->reject();
        });
    }

    // saw: a dialog of the type appeared (it may have closed itself before it could be driven).
    bool saw = false, driven = false, timedOut = false;

private:
    QObject m_context;
    QPointer<T> m_dialog;
};

// The boxes the lists give, as ScreenBench::said() tells them.
inline const QString kNoData = QStringLiteral("該当データがありません (ＰＥＬＫＯ)"),
                     kMaxLine = QStringLiteral("最大表示行数を超えました (ＰＥＬＫＯ)");

inline void categories(const TempProgramDir& dir) {
    for (const auto& [code, name] : {std::pair{1, u"食品"}, {3, u"雑貨"}, {7, u"衣料"}})
        dir.addCategory(code, QString::fromUtf16(name));
}

// The goods lookup F4 opens, driven as a user picks: every goods listed, `code` chosen with Enter.
template <class Lookup> std::unique_ptr<ModalDriver<Lookup>> pickInGoodsLookup(const QString& code) {
    return std::make_unique<ModalDriver<Lookup>>(
        [](Lookup* d) { return d->isEnabled(); },
        [code](Lookup* d) {
            d->template findChild<QLineEdit*>(QStringLiteral("txtCode"))->clear();
            QTest::mouseClick(d->template findChild<QPushButton*>(QStringLiteral("cmdFind")), Qt::LeftButton);
            auto* list = d->template findChild<QTreeView*>(QStringLiteral("ListView"));
            for (int i = 0; i < list->model()->rowCount(); ++i)
                if (list->model()->index(i, 0).data().toString().trimmed() == code)
                    list->setCurrentIndex(list->model()->index(i, 0));
            QTest::keyClick(list, Qt::Key_Return);
        });
}
