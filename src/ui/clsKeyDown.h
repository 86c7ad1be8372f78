#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// Escape-to-undo for text boxes. Every form owns one instance and feeds it every key first
// (FormBase does this in its key preview).
//
// The first key pressed in a text box remembers the box's text; a later Escape in the same box,
// when the text has changed since, puts the remembered text back, selects it all and consumes the
// key. An Escape that finds nothing to undo is left to the form (for example as its cancel key).
class clsKeyDown {
public:
    // frmName: the form; intKeyCode: the Qt::Key value, set to 0 when used.
    void fnKeyDown(QWidget* frmName, int& intKeyCode);
    // Forgets the remembered field (e.g. after a screen loaded new values into its boxes).
    void fnKeyClear();

    qint16 rememberedTabIndex() const { return m_intTabIndex; }
    QString rememberedText() const { return m_strText; }

private:
    qint16 m_intTabIndex = -1;
    QString m_strText;
    // The box itself too: boxes without a TabIndex must not share the "none" index.
    QPointer<QWidget> m_control;
};
