#include "ui/basInput.h"

#include "core/basBytes.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QVariant>
#include <QWidget>

void setTabIndex(QWidget* w, int index) {
    if (w) w->setProperty(kTabIndexProperty, index);
}

int tabIndex(const QWidget* w) {
    if (!w) return -1;
    const QVariant v = w->property(kTabIndexProperty);
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok ? n : -1;
}

void setTabStop(QWidget* w, bool on) {
    if (w) w->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

bool tabStop(const QWidget* w) {
    return w && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

void setInputMode(QWidget* w, const QString& mode) {
    if (w) w->setProperty(kInputModeProperty, mode);
}

QString inputMode(const QWidget* w) {
    return w ? w->property(kInputModeProperty).toString() : QString();
}

void setByteMaxLength(QWidget* w, int bytes) {
    if (w) w->setProperty(kByteMaxLengthProperty, bytes);
}

int byteMaxLength(const QWidget* w) {
    return w ? w->property(kByteMaxLengthProperty).toInt() : 0;
}

bool isTextBox(const QWidget* w) {
    if (!qobject_cast<const QLineEdit*>(w)) return false;
    // The editor inside a spin box, date edit or combo box belongs to that control.
    const QWidget* p = w->parentWidget();
    return !(qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const QComboBox*>(p));
}

QWidget* activeControl(QWidget* frm) {
    if (!frm) return nullptr;
    QWidget* fw = QApplication::focusWidget();
    if (fw && fw->window() == frm->window()) return fw;
    fw = frm->window()->focusWidget();
    return fw;
}

namespace {

const QString& modeSigns() {
    // The 31 ASCII signs of modes 4 and 5 (no apostrophe).
    static const QString s = QStringLiteral("!\"#$%&()=~|-^\\`{@[+*};:]<>?_,./");
    return s;
}

const QString& asciiLettersDigits() {
    static const QString s = QStringLiteral("1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return s;
}

QString charText(char32_t ch) {
    return QString::fromUcs4(&ch, 1);
}

} // namespace

QString fnAllowedCharacters(int mode) {
    switch (mode) {
    case 0:
        return QStringLiteral(" 1234567890,");
    case 1:
        return QStringLiteral(" 1234567890-");
    case 2:
        return QStringLiteral(" 1234567890.");
    case 3:
        return QStringLiteral(" 1234567890-.");
    case 4:
        return QStringLiteral(" ") + asciiLettersDigits() + modeSigns();
    case 5:
        return QStringLiteral(" ") + asciiLettersDigits() + modeSigns() + QStringLiteral("'") +
               QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ｡ﾞﾟｧｨｩｪｫｬｭｮｯｰ");
    case 6:
        return QStringLiteral(" 1234567890");
    case 7:
        return QStringLiteral(" 1234567890,-");
    case 8:
        return QStringLiteral(" 123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    case 9:
        return QStringLiteral(" 1234567890,.");
    default:
        return QString();
    }
}

namespace {

// Whether ch passes the input mode of the active control.
bool allowedFor(const QWidget* c, char32_t ch) {
    QString allowed;
    if (isTextBox(c)) {
        const QString tag = inputMode(c);
        if (tag.size() != 1 || tag[0] < QLatin1Char('0') || tag[0] > QLatin1Char('9')) return true;
        allowed = fnAllowedCharacters(tag[0].unicode() - '0');
    }
    // A case-insensitive text compare, as the original's InStr did.
    return !allowed.isEmpty() && allowed.contains(charText(ch), Qt::CaseInsensitive);
}

// Result of the byte check for ch typed into box, whose text would be `text` with `selected`
// characters selected (the whole text when selectedAll).
enum class ByteCheck { Accept, ReplaceAll, Refuse };

ByteCheck byteCheck(const QLineEdit* box, const QString& text, bool selectedAll, char32_t ch) {
    const int maxLength = byteMaxLength(box);
    if (maxLength == 0) return ByteCheck::Accept;
    if (ch < 32 && ch != 13 && ch != 10) return ByteCheck::Accept;
    const int charBytes = fnByteLength(charText(ch));
    if (selectedAll && !text.isEmpty()) {
        // The whole text is replaced by the character; only the character is measured.
        return charBytes > maxLength ? ByteCheck::Refuse : ByteCheck::ReplaceAll;
    }
    const int n = fnByteLength(text) + charBytes;
    return n > maxLength ? ByteCheck::Refuse : ByteCheck::Accept;
}

} // namespace

void fnFilterKey(QWidget* frm, char32_t& key) {
    if (key == 0) return;
    if (!allowedFor(activeControl(frm), key)) key = 0;
}

void fnCheckByteLength(QWidget* frm, char32_t& key) {
    if (key == 0) return;
    QWidget* c = activeControl(frm);
    if (!isTextBox(c)) return;
    auto* box = static_cast<QLineEdit*>(c);
    const bool all = box->hasSelectedText() && box->selectedText() == box->text();
    switch (byteCheck(box, box->text(), all, key)) {
    case ByteCheck::Accept:
        break;
    case ByteCheck::ReplaceAll:
        box->clear();
        break;
    case ByteCheck::Refuse:
        QApplication::beep();
        key = 0;
        break;
    }
}

namespace {

// What typing text into box lets through, its text being `current` with selLength characters from
// selStart selected.
QString filterTyped(const QLineEdit* box, QString current, int selStart, int selLength, const QString& text) {
    bool selectedAll = selLength > 0 && selLength == current.size();
    bool partial = selLength > 0 && !selectedAll;
    QString out;
    bool refused = false;
    for (uint u : text.toUcs4()) {
        const char32_t ch = u;
        if (ch == 13 || ch == 10 || ch == 27) continue;
        if (!allowedFor(box, ch)) continue;
        if (byteCheck(box, current, selectedAll, ch) == ByteCheck::Refuse) {
            // The selection stays, so the next character meets the same text.
            refused = true;
            continue;
        }
        // The first character taken replaces the selection.
        if (selectedAll) current.clear();
        if (partial) current.remove(selStart, selLength);
        selectedAll = partial = false;
        current += charText(ch);
        out += charText(ch);
    }
    if (refused) QApplication::beep();
    return out;
}

} // namespace

QString fnFilterText(QWidget* frm, const QString& text) {
    QWidget* c = activeControl(frm);
    if (!isTextBox(c)) return QString();
    auto* box = static_cast<QLineEdit*>(c);
    return filterTyped(box, box->text(), box->selectionStart(), box->selectionLength(), text);
}

QString fnFilterText(QWidget* frm, const QString& text, const QString& current) {
    QWidget* c = activeControl(frm);
    if (!isTextBox(c)) return QString();
    return filterTyped(static_cast<QLineEdit*>(c), current, 0, 0, text);
}

bool fnCanFocus(const QWidget* c) {
    if (!c) return false;
    return c->isVisibleTo(c->window()) && c->isEnabled() && tabStop(c);
}

void fnMoveFocus(QWidget* frm, int& key, bool arrows) {
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool up = arrows && key == Qt::Key_Up;
    const bool down = arrows && key == Qt::Key_Down;
    if (!enter && !up && !down) return;
    if (!frm) return;
    QWidget* active = activeControl(frm);
    QWidget* target = active;
    const int cur = tabIndex(active);
    QWidget* window = frm->window();
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    if (up) {
        int best = -1;
        for (QWidget* w : controls) {
            if (w->window() != window || !fnCanFocus(w)) continue;
            const int t = tabIndex(w);
            if (t < 0) continue;
            if (t < cur && t > best) {
                target = w;
                best = t;
            }
        }
    } else {
        int best = 9999;
        for (QWidget* w : controls) {
            if (w->window() != window || !fnCanFocus(w)) continue;
            const int t = tabIndex(w);
            if (t < 0) continue;
            if (t > cur && t < best) {
                target = w;
                best = t;
            }
        }
    }
    // A move by keys shows the focus frame, as Tab does.
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    if (target && target->isEnabled()) {
        target->setFocus(up ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        target->update();
    }
    key = 0;
}

void fnSelectText(QLineEdit* box, bool removeCommas) {
    if (!box) return;
    if (removeCommas) {
        const QString t = QString(box->text()).remove(QLatin1Char(',')).trimmed();
        if (t != box->text()) box->setText(t);
    }
    box->setSelection(0, box->text().size());
}

QString fnGoodsCodeMode(const QString& gno) {
    const QString g = gno.trimmed();
    if (g == QLatin1String("0")) return QStringLiteral("4");
    if (g == QLatin1String("1")) return QStringLiteral("6");
    return QString();
}
