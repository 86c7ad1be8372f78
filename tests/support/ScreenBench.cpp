#include "ScreenBench.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTableWidget>
#include <QTreeView>

using namespace Qt::Literals::StringLiterals;

namespace {
QString padCode(const QString& code) {
    return (QString(12, u' ') + code.trimmed()).right(12);
}
QString quoted(const QString& s) {
    return QString(s).replace(u'\'', u"''"_s);
}
} // namespace

void addLedgerRows(const TempProgramDir& dir, const QString& rows, const QString& code) {
    for (const QString& r : rows.split(u';', Qt::SkipEmptyParts)) {
        const QStringList f = r.split(u' ', Qt::SkipEmptyParts);
        if (f.size() < 3) qFatal("ledger row '%s' is not 'day kind qty [denno line [code]]'", qPrintable(r));
        dir.addLedger(f.size() > 5 ? f.mid(5).join(u' ') : code, f.at(0).toInt(), f.at(1).toInt(),
                      f.at(2).toDouble(), f.value(3).toInt(), f.value(4).toInt());
    }
}

QString ledgerRows(const TempProgramDir& dir, const QString& code, const QString& where) {
    QStringList out;
    const QString rows = dir.rows(u"select day, kubun, suu, denno, line, gcode from gdai where "_s + where +
                                      u" order by day, kubun, gcode, denno, line"_s,
                                  u"\t"_s, u"\n"_s);
    for (const QString& r : rows.split(u'\n', Qt::SkipEmptyParts)) {
        QStringList f = r.split(u'\t');
        QString qty = f[2];
        if (qty.endsWith(u".0"_s)) qty.chop(2);
        QString row = f[0] + u' ' + f[1] + u' ' + qty;
        const bool named = f[5] != padCode(code);
        if (f[3] != u"0"_s || f[4] != u"0"_s || named) row += u' ' + f[3] + u' ' + f[4];
        if (named) row += u' ' + f[5].trimmed();
        out << row;
    }
    return out.join(u"; "_s);
}

void addGoodsRows(const TempProgramDir& dir, const QString& rows) {
    for (const QString& r : rows.split(u';', Qt::SkipEmptyParts)) {
        const QStringList f = r.split(u' ', Qt::SkipEmptyParts);
        dir.addGoods(f.at(0), f.value(1), f.value(2, u"1"_s).toInt(), f.value(3).toInt(), f.value(4).toInt());
        if (f.size() > 5)
            dir.exec(u"update goods set kakuho = %1 where code = '%2'"_s.arg(f[5], quoted(padCode(f[0]))));
    }
}

QList<QStringList> csvRows(const QString& text) {
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool inQuotes = false, any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        any = true;
        if (inQuotes) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"')
                cell += c, ++i;
            else if (c == u'"')
                inQuotes = false;
            else
                cell += c;
        } else if (c == u'"') {
            inQuotes = true;
        } else if (c == u',') {
            row << cell, cell.clear();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
            row << cell, cell.clear();
            rows << row, row.clear();
            any = false;
        } else {
            cell += c;
        }
    }
    if (any) rows << (row << cell);
    return rows;
}

QString csvFile(const QString& path, bool shiftJis) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return u"<missing>"_s;
    QByteArray bytes = f.readAll();
    if (!shiftJis && !bytes.startsWith("\xEF\xBB\xBF")) return u"<no BOM>"_s;
    QStringDecoder decoder(shiftJis ? "Shift_JIS" : "UTF-8");
    const QString text = decoder.decode(shiftJis ? bytes : bytes.mid(3));
    QStringList lines;
    for (const QStringList& row : csvRows(text)) {
        QStringList cells;
        for (const QString& c : row)
            cells << (c.contains(u',') ? u'"' + c + u'"' : c);
        lines << cells.join(u',');
    }
    return lines.join(u'|');
}

namespace screen {

QWidget* find(const QWidget* form, const QString& name) {
    auto* w = form->findChild<QWidget*>(name);
    if (!w) qFatal("no control %s", qPrintable(name));
    return w;
}

QString text(const QWidget* form, const char* name) {
    const QWidget* w = find(form, QString::fromLatin1(name));
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    return w->property("text").toString();
}

QString focusName() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

bool showAndActivate(QWidget* form) {
    form->show();
    form->activateWindow();
    return QTest::qWaitForWindowActive(form);
}

void type(QWidget* form, const char* name, const QString& keys) {
    auto* box = child<QLineEdit>(form, name);
    box->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    typeKeys(box, keys);
}

void typeKeys(QWidget* w, const QString& keys) {
    for (const QChar c : keys)
        if (c.unicode() < 128)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* w = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    if (!w) qFatal("no widget to press a key on");
    QTest::keyClick(w, key, modifiers);
    QApplication::processEvents();
}

void typeDate(QWidget* form, int yyyymmdd, const char* next) {
    type(form, "txtYy", QString::number(yyyymmdd / 10000));
    type(form, "txtMm", QString::number(yyyymmdd / 100 % 100));
    type(form, "txtDd", QString::number(yyyymmdd % 100));
    type(form, next, {});
}

QStringList listed(const QAbstractItemView* list) {
    const QAbstractItemModel* m = list->model();
    QStringList out;
    for (int i = -1; i < m->rowCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << (i < 0 ? m->headerData(c, Qt::Horizontal) : m->index(i, c).data()).toString();
        out << cells.join(u'|');
    }
    return out;
}

QStringList gridRows(const QTableWidget* grid) {
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : u"<none>"_s);
        rows << cells.join(u'|');
    }
    return rows;
}

void doubleClick(QAbstractItemView* view, const QModelIndex& at) {
    const QPoint p = view->visualRect(at).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, p);
}

int chosenRow(const QAbstractItemView* list) {
    const QModelIndex i = list->currentIndex();
    return i.isValid() && list->selectionModel()->isRowSelected(i.row(), {}) ? i.row() : -1;
}

QStringList messageTexts(const ScriptedDialogs& dialogs) {
    QStringList out;
    for (const MessageRequest& m : dialogs.messages)
        out << m.text;
    return out;
}

bool like(const QString& got, const QString& expected) {
    const QString pattern = QRegularExpression::escape(expected).replace(u"\\*"_s, u".*"_s);
    return QRegularExpression(u"\\A"_s + pattern + u"\\z"_s, QRegularExpression::DotMatchesEverythingOption)
        .match(got)
        .hasMatch();
}

} // namespace screen

ScreenBench::~ScreenBench() {
    if (form) form->close();
    form.reset();
}

namespace {
// What a check of the list reads: its rows, its first column's codes or the row Enter takes.
QString listShows(const QWidget* f, const QString& what) {
    const auto* list = screen::child<QAbstractItemView>(f, "ListView");
    if (what == u"list") return screen::listed(list).join(u'#');
    if (what == u"chosen") return QString::number(screen::chosenRow(list));
    QStringList codes;
    for (const QString& row : screen::listed(list).mid(1))
        codes << row.section(u'|', 0, 0).trimmed();
    return codes.join(u' ');
}
} // namespace

QString ScreenBench::play(const QString& steps, QWidget* on) {
    static const QHash<QString, Qt::Key> keys{
        {u"Enter"_s, Qt::Key_Return},  {u"Tab"_s, Qt::Key_Tab},       {u"Up"_s, Qt::Key_Up},
        {u"Down"_s, Qt::Key_Down},     {u"Esc"_s, Qt::Key_Escape},    {u"Backspace"_s, Qt::Key_Backspace},
        {u"Delete"_s, Qt::Key_Delete}, {u"PageUp"_s, Qt::Key_PageUp}, {u"PageDown"_s, Qt::Key_PageDown}};
    static const QStringList states{u"?hidden:"_s, u"?visible:"_s, u"?enabled:"_s, u"?disabled:"_s};
    static const QRegularExpression boxStep(u"^[A-Za-z_][A-Za-z0-9_]*="_s);
    for (const QString& raw : steps.split(u';', Qt::SkipEmptyParts)) {
        QString step = QString(raw).replace(u"{semicolon}"_s, u";"_s); // blanks at its end kept (typed)
        while (step.startsWith(u' ') || step.startsWith(u'\n'))
            step.remove(0, 1);
        if (step.isEmpty()) continue;
        QWidget* f = on ? on : form.get();
        const QString verb = step.section(u':', 0, 0), arg = step.section(u':', 1);
        QString key = step;
        Qt::KeyboardModifiers mods;
        for (auto [name, m] : {std::pair{u"Shift+"_s, Qt::ShiftModifier}, {u"Ctrl+"_s, Qt::ControlModifier}})
            if (key.startsWith(name)) key = key.mid(name.size()), mods |= m;
        if (keys.contains(key)) {
            screen::press(keys.value(key), mods);
        } else if (key.size() <= 3 && key.startsWith(u'F') && key.mid(1).toInt() > 0) {
            screen::press(Qt::Key(Qt::Key_F1 + key.mid(1).toInt() - 1), mods);
        } else if (step == u"yes" || step == u"no" || step == u"ok") {
            dialogs.answerMessage(step == u"yes" ? MsgYes : step == u"no" ? MsgNo : MsgOk);
        } else if (step.startsWith(u"?focus="_s)) {
            if (!QTest::qWaitFor([&] { return screen::focusName() == step.mid(7); }, 5000))
                return step + u": the focus is on "_s + screen::focusName();
        } else if (step == u"clear") {
            dialogs.clear();
        } else if (step.startsWith(u"?said="_s)) {
            if (!screen::like(said(), step.mid(6))) return step + u": said "_s + said();
        } else if (step.startsWith(u"?title="_s)) {
            if (f->windowTitle() != step.mid(7)) return step + u": the title is "_s + f->windowTitle();
        } else if (states.contains(step.section(u':', 0, 0) + u':')) {
            const QWidget* w = screen::find(f, arg);
            const bool is = step.startsWith(u"?hidden"_s)    ? w->isHidden()
                            : step.startsWith(u"?visible"_s) ? !w->isHidden()
                            : step.startsWith(u"?enabled"_s) ? w->isEnabled()
                                                             : !w->isEnabled();
            if (!is) return step + u": it is not"_s;
        } else if (step.startsWith(u'?') && extraStep && extraStep(step)) {
        } else if (step.startsWith(u'?')) {
            const QString name = step.mid(1).section(u'=', 0, 0), want = step.section(u'=', 1);
            const QString got = QStringList{u"list"_s, u"codes"_s, u"chosen"_s}.contains(name)
                                    ? listShows(f, name)
                                    : screen::text(f, name.toLatin1().constData());
            if (got != want) return step + u": shows '"_s + got + u'\'';
        } else if (verb == u"keys") {
            screen::typeKeys(QApplication::focusWidget(), arg);
        } else if (verb == u"click") {
            QTest::mouseClick(screen::find(f, arg), Qt::LeftButton);
        } else if (verb == u"set") {
            screen::child<QLineEdit>(f, qPrintable(arg.section(u'=', 0, 0)))->setText(arg.section(u'=', 1));
        } else if (verb == u"toolbar") {
            f->findChild<QAction*>(u"F"_s + arg)->trigger();
        } else if (step == u"close") {
            f->close();
        } else if (verb == u"dclick") {
            auto* list = screen::child<QAbstractItemView>(f, "ListView");
            screen::doubleClick(list, list->model()->index(arg.toInt(), 0));
        } else if (verb == u"sort") {
            const QHeaderView* h = screen::child<QTreeView>(f, "ListView")->header();
            const int at = h->sectionViewportPosition(arg.toInt()) + h->sectionSize(arg.toInt()) / 2;
            QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(at, h->height() / 2));
        } else if (verb == u"focusOn") {
            screen::find(f, arg)->setFocus();
        } else if (verb == u"date") {
            screen::typeDate(f, arg.toInt());
        } else if (verb == u"sql") {
            dir.exec(arg);
        } else if (boxStep.match(step).hasMatch()) {
            screen::type(f, step.section(u'=', 0, 0).toLatin1().constData(), step.section(u'=', 1));
        } else if (!extraStep || !extraStep(step)) {
            return u"unknown step "_s + step;
        }
        QApplication::processEvents();
        if (QTest::currentTestFailed()) return step + u": failed"_s;
    }
    return {};
}

QString ScreenBench::said() const {
    QStringList out;
    for (const MessageRequest& m : dialogs.messages)
        out << (m.title == u"zanmo"_s ? m.text : m.text + u" ("_s + m.title + u')');
    return out.join(u'/');
}

QString ScreenBench::logs(const QString& caption) const {
    QStringList out;
    const QString rows = dir.rows(u"select kubun, syousai from operatlog where naiyou = '"_s +
                                      quoted(caption) + u"' order by "_s + TempProgramDir::insertionOrder(),
                                  u" "_s, u"\n"_s);
    for (const QString& r : rows.split(u'\n', Qt::SkipEmptyParts))
        out << r.simplified();
    return out.join(u", "_s);
}
