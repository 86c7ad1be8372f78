#include "ui/basAccessible.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

const char* const kHidden = "zanmoHiddenFromReaders";

class HiddenAccessible : public QAccessibleWidget {
public:
    explicit HiddenAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::NoRole) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }
    QString text(QAccessible::Text) const override { return QString(); }
};

QAccessibleInterface* hiddenFactory(const QString&, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    if (w && w->property(kHidden).toBool()) return new HiddenAccessible(w);
    return nullptr;
}

bool isField(const QWidget* w) {
    if (qobject_cast<const QLineEdit*>(w))
        return !qobject_cast<const QAbstractSpinBox*>(w->parentWidget()); // a picker's own editor
    return qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w);
}

bool isCaption(const QLabel* l) {
    return l->frameShape() == QFrame::NoFrame && !l->text().trimmed().isEmpty() && !l->buddy();
}

} // namespace

void fnNameFieldsByCaptions(QWidget* form) {
    const QList<QLabel*> labels = form->findChildren<QLabel*>();
    for (QWidget* field : form->findChildren<QWidget*>()) {
        if (!isField(field) || !field->accessibleName().isEmpty() || field->property(kHidden).toBool())
            continue;
        bool named = false;
        for (const QLabel* l : labels)
            named = named || l->buddy() == field;
        if (named) continue;
        const QRect f(field->mapTo(form, QPoint()), field->size());
        QLabel* best = nullptr;
        int bestGap = 0;
        for (QLabel* l : labels) {
            if (!isCaption(l) || l->window() != field->window() || !l->isVisibleTo(form)) continue;
            const QRect r(l->mapTo(form, QPoint()), l->size());
            const int middle = r.center().y();
            if (middle < f.top() || middle > f.bottom() || r.right() > f.left()) continue;
            const int gap = f.left() - r.right();
            if (!best || gap < bestGap) {
                best = l;
                bestGap = gap;
            }
        }
        if (best) best->setBuddy(field);
    }
}

void fnHideFromReaders(QWidget* w) {
    static const bool installed = [] {
        QAccessible::installFactory(hiddenFactory);
        return true;
    }();
    Q_UNUSED(installed)
    w->setProperty(kHidden, true);
}
