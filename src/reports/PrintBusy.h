#pragma once

#include <QList>
#include <QPointer>
#include <QString>

class FormBase;
class PrintProgress;
class QLabel;
class QWidget;

// The busy state of a print screen while a list is produced, for one scope:
//   start: toolbar busyPattern, the given controls disabled, the wait cursor, lblMsg "処理中・・・"
//          painted, and a progress bar beside it for a long list (PrintProgress);
//   end:   the keys and clicks queued meanwhile thrown away, toolbar idlePattern, the controls
//          enabled again, lblMsg cleared, the focus back where it was.
class PrintBusy {
public:
    PrintBusy(FormBase* form, const QList<QWidget*>& controls, QLabel* lblMsg, const QString& busyPattern,
              const QString& idlePattern);
    ~PrintBusy();

    PrintBusy(const PrintBusy&) = delete;
    PrintProgress* progress() const;
    PrintBusy& operator=(const PrintBusy&) = delete;

private:
    QPointer<FormBase> m_form;
    QList<QPointer<QWidget>> m_controls;
    QPointer<QLabel> m_label;
    QPointer<PrintProgress> m_progress;
    QPointer<QWidget> m_focus;
    QString m_idlePattern;
};
