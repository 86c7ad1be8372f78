#pragma once

// What the screen tests share: the rows of a test in one notation, and a bench that opens a screen
// on a program folder with scripted boxes and works it the way a user does, step by step.

#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>

class QTableWidget;

// Ledger rows "day kind qty [denno line [code]]" separated by ';', of goods `code` unless named.
void addLedgerRows(const TempProgramDir& dir, const QString& rows,
                   const QString& code = QStringLiteral("12"));
// The ledger in that notation, ordered by day, kind, code, denno, line; whole quantities without a
// fraction, denno and line only when set, the code only when it is not `code`.
QString ledgerRows(const TempProgramDir& dir, const QString& code = QStringLiteral("12"),
                   const QString& where = QStringLiteral("1=1"));
// Goods rows "code name [bunrui [zkubun [stop [kakuho]]]]" separated by ';' (category 1, stock
// managed, active, nothing kept by default).
void addGoodsRows(const TempProgramDir& dir, const QString& rows);
// A CSV text's rows, each row's cells (quoted cells unquoted; CRLF or LF between rows).
QList<QStringList> csvRows(const QString& text);
// A CSV file decoded (UTF-8 after its byte-order mark, or Shift-JIS) and its rows joined: cells with
// ',' quoted again as written, rows with '|'. "<no BOM>" / "<missing>" when the file is not so.
QString csvFile(const QString& path, bool shiftJis = false);

namespace screen {
QWidget* find(const QWidget* form, const QString& name); // fails the program when missing
template <class T> T* child(const QWidget* form, const char* name) {
    auto* w = qobject_cast<T*>(find(form, QString::fromLatin1(name)));
    if (!w) qFatal("%s is no %s", name, T::staticMetaObject.className());
    return w;
}
// The text a box, label or button shows.
QString text(const QWidget* form, const char* name);
QString focusName();
bool showAndActivate(QWidget* form);
// Puts the focus in the box (as a click would) and types; the box selects its text on entry, so
// typing replaces it. Characters past ASCII come as the key events an input method sends.
void type(QWidget* form, const char* name, const QString& keys);
void typeKeys(QWidget* w, const QString& keys);
// A key on whatever has the focus.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {});
// A date typed into txtYy, txtMm and txtDd, left for `next`.
void typeDate(QWidget* form, int yyyymmdd, const char* next = "txtGcode");
// Each row of a list as its cells joined with '|', the header first.
QStringList listed(const QAbstractItemView* list);
// Each row of a grid, cells joined with '|' ("<none>" for no item).
QStringList gridRows(const QTableWidget* grid);
// A click, then a double-click, at the middle of a row's cell, as a real double-click delivers them.
void doubleClick(QAbstractItemView* view, const QModelIndex& at);
// The row Enter would take: current and selected (-1: none).
int chosenRow(const QAbstractItemView* list);
QStringList messageTexts(const ScriptedDialogs& dialogs);
// Values as text, '|' between: several values compared in one go.
template <class... T> QString joined(const T&... values) {
    return QStringList{QVariant(values).toString()...}.join(u'|');
}
// Whether the text is the expected one, where '*' in it stands for any text.
bool like(const QString& got, const QString& expected);
// Another program's window, active with the focus in its box: where text is dragged from.
struct OtherWindow {
    QWidget window;
    QLineEdit box{&window};
    OtherWindow() {
        showAndActivate(&window);
        box.setFocus();
        QTest::qWaitFor([this] { return box.hasFocus(); });
    }
};

} // namespace screen

// A program folder, scripted boxes and one screen on them (closed first when the bench goes).
class ScreenBench {
public:
    explicit ScreenBench(bool openShared = true) : dir(openShared) {}
    ~ScreenBench();
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<QWidget> form;

    // `setup` runs before the form shows.
    template <class F> F* open(const std::function<void(F*)>& setup = {}) {
        auto owned = std::make_unique<F>();
        F* f = owned.get();
        form = std::move(owned);
        if (setup) setup(f);
        if (!screen::showAndActivate(f)) qWarning("the screen did not become active");
        return f;
    }
    // Plays steps separated by ';' ({semicolon} in one), blanks before a step dropped, and returns what
    // went wrong, or "":
    //   NAME=TEXT  TEXT typed into box NAME (NAME= only puts the focus there)
    //   keys:TEXT  typed where the focus is        Enter, Tab, Up, Down, Esc, Backspace, Delete,
    //   F1..F12, Shift+F9, ...: keys pressed where the focus is
    //   yes, no, ok  the answer to the next box    click:NAME  a button clicked
    //   focusOn:NAME the focus put there          date:YYYYMMDD the date boxes typed         sql:STATEMENT
    //   run on the folder's database ?NAME=TEXT   the control shows TEXT        ?focus=NAME the focus is
    //   there (within 5 s) ?said=TEXT   said() so far (then clear)    clear  the boxes so far forgotten
    //   ?title=TEXT  the window's title            ?hidden:NAME ?visible:NAME ?enabled:NAME ?disabled:NAME
    //   set:NAME=TEXT  the text set, not typed   toolbar:N  the toolbar's button
    //   close  the window frame's close   and on the list named ListView: dclick:ROW  sort:COLUMN (a
    //   header click)  ?list=ROWS (listed(), '#' between)  ?codes=C C (first column trimmed)  ?chosen=ROW
    // Any other step goes to `extraStep`, which says whether it knew it. `on`: a window other than form.
    QString play(const QString& steps, QWidget* on = nullptr);
    std::function<bool(const QString& step)> extraStep;
    // Every box's text in turn, " (TITLE)" after it when the title is not the program's name, '/'
    // between boxes.
    QString said() const;
    // The log rows of the screen with this caption: "kind detail" (blanks in a row closed up), ','
    // between rows.
    QString logs(const QString& caption) const;
};

// Runs `before` on each box ahead of the scripted answer, while it lives: a real box takes the focus
// out of the screen, and the moment a user answers is when a test lets a server go away.
class BeforeBoxes final : public DialogSeam {
public:
    BeforeBoxes(ScriptedDialogs& answers, std::function<void(const MessageRequest&)> before)
        : m_answers(answers), m_before(std::move(before)) {
        setDialogs(this);
    }
    ~BeforeBoxes() override { setDialogs(&m_answers); }
    int messageBox(const MessageRequest& r) override {
        m_before(r);
        return m_answers.messageBox(r);
    }
    QString saveFileName(const SaveFileRequest& r) override { return m_answers.saveFileName(r); }
    QString openFileName(const SaveFileRequest& r) override { return m_answers.openFileName(r); }
    bool startProgram(const ProgramStart& s, QString* e) override { return m_answers.startProgram(s, e); }

private:
    ScriptedDialogs& m_answers;
    std::function<void(const MessageRequest&)> m_before;
};
