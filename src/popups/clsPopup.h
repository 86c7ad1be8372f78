#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Driver of the code-list popup: the caller fills the selectors, asks for a list kind and reads
// the selectors back.
//
//     clsPopup popup;
//     popup.IdxKey = "4";                      // goods categories
//     popup.IdxKey2 = QString::number(current); // the list starts at this code
//     popup.fnSetPopup(2);
//     const QString chosen = popup.IdxKey2.trimmed(); // empty: F12 by key; unchanged: closed
class clsPopup {
public:
    // First selector (kind 2: the bunrui.kubun of the list).
    QString IdxKey;
    // Second selector; kind 2: the code to start at, and afterwards the chosen code
    // (right-justified to 6 characters).
    QString IdxKey2;
    // Third selector, passed through.
    QString IdxKey3;

    // Shows the list of the kind modally over `parent` (the active window when null) and copies
    // the dialog's selectors back.
    void fnSetPopup(quint8 kind, QWidget* parent = nullptr);

    // The list as defined for the last kind and selectors.
    QString title() const { return m_title; }
    int helpContext() const { return m_helpContext; } // 0 = none
    QStringList headers() const { return m_headers; }
    QList<int> widths() const { return m_widths; } // twips

    // Defines title, help context, headers and widths for the kind and the current selectors.
    void fnDefineList(quint8 kind);

private:
    QString m_title;
    int m_helpContext = 0;
    QStringList m_headers;
    QList<int> m_widths;
};
