#pragma once

#include <QPointer>
#include <QString>

class QDialog;
class QWidget;

// The F1 help of one form: which page of the help (qrc :/help/<page>.html) it shows and the window
// showing it, made on the first showHelp().
class HelpWindow {
public:
    explicit HelpWindow(QWidget* form) : m_form(form) {}
    HelpWindow(const HelpWindow&) = delete;
    HelpWindow& operator=(const HelpWindow&) = delete;

    // The page chosen; helpPage() falls back on the form's class name, then on the contents "index".
    void setHelpPage(const QString& page) { m_page = page; }
    QString helpPage() const;
    // Help context numbers of the code lists map onto pages (6101 -> the category list's page).
    void setHelpContext(int contextId);
    // Opens (or raises) the window "frmHelp" on the page; returns it.
    QWidget* showHelp();
    // The window, null until shown (or once gone).
    QWidget* window() const;
    void close();

private:
    QWidget* m_form;
    QString m_page;
    QPointer<QDialog> m_window;
};
