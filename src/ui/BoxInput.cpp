#include "ui/BoxInput.h"

#include "ui/FormBase.h"
#include "ui/basInput.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

// The widget an input-method commit is being sent to again, already filtered.
const QObject* resendTarget = nullptr;

// The editing keys a line edit acts on before it would insert a key's text. Its match ignores the
// keypad flag, so Ctrl+A from the keypad selects all instead of typing "a".
bool isLineEditShortcut(const QKeyEvent* e) {
    static constexpr QKeySequence::StandardKey keys[] = {
        QKeySequence::Undo,
        QKeySequence::Redo,
        QKeySequence::SelectAll,
        QKeySequence::Copy,
        QKeySequence::Paste,
        QKeySequence::Cut,
        QKeySequence::DeleteEndOfLine,
        QKeySequence::MoveToStartOfLine,
        QKeySequence::MoveToStartOfBlock,
        QKeySequence::MoveToEndOfLine,
        QKeySequence::MoveToEndOfBlock,
        QKeySequence::SelectStartOfLine,
        QKeySequence::SelectStartOfBlock,
        QKeySequence::SelectEndOfLine,
        QKeySequence::SelectEndOfBlock,
        QKeySequence::MoveToNextChar,
        QKeySequence::SelectNextChar,
        QKeySequence::MoveToPreviousChar,
        QKeySequence::SelectPreviousChar,
        QKeySequence::MoveToNextWord,
        QKeySequence::MoveToPreviousWord,
        QKeySequence::SelectNextWord,
        QKeySequence::SelectPreviousWord,
        QKeySequence::Delete,
        QKeySequence::DeleteEndOfWord,
        QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteCompleteLine,
    };
    return std::any_of(std::begin(keys), std::end(keys),
                       [e](QKeySequence::StandardKey k) { return e->matches(k); });
}

// What a commit lets in: measured against the text without the characters it replaces (and the
// selection), as QLineEdit takes them out before inserting.
QString filterCommit(QWidget* form, const QLineEdit* box, const QInputMethodEvent* commit,
                     const QString& text) {
    if (commit->replacementLength() <= 0) return fnFilterText(form, text);
    QString rest = box->text();
    int cursor = box->cursorPosition();
    if (box->hasSelectedText()) {
        cursor = box->selectionStart();
        rest.remove(cursor, box->selectionLength());
    }
    const int from = qMax(0, cursor + commit->replacementStart());
    if (from + commit->replacementLength() <= rest.size()) rest.remove(from, commit->replacementLength());
    return fnFilterText(form, text, rest);
}

} // namespace

BoxInput::BoxInput(QLineEdit* box) : QObject(box) {
    box->installEventFilter(this);
}

BoxInput* BoxInput::attach(QLineEdit* box) {
    if (!box) return nullptr;
    if (auto* input = box->findChild<BoxInput*>(QString(), Qt::FindDirectChildrenOnly)) return input;
    return new BoxInput(box);
}

QLineEdit* BoxInput::box() const {
    return static_cast<QLineEdit*>(parent());
}

FormBase* BoxInput::form() const {
    return isTextBox(box()) ? qobject_cast<FormBase*>(box()->window()) : nullptr;
}

QString BoxInput::insertText(const QString& text, Route route, QEvent* cause) {
    QLineEdit* box = this->box();
    FormBase* form = this->form();
    if (!form) return QString();
    // Entering runs the screen's focus handlers, which may take the box (and this) away.
    QPointer<QLineEdit> guard(box);
    const int pressedAt = box->cursorPosition(); // the middle button's press put it there
    QString accepted;
    if (route == Route::Key) {
        accepted = text; // the form's key preview entered the box and let these characters through
    } else if (form->enterBox(box) && guard) {
        if (route == Route::MiddleButton || route == Route::Drop) {
            // In where the button went down or the drop was let go, whatever was selected; entering may
            // have rewritten the text ("1,234" -> "1234"), so the drop's place is read now.
            box->deselect();
            box->setCursorPosition(
                route == Route::Drop
                    ? box->cursorPositionAt(static_cast<QDropEvent*>(cause)->position().toPoint())
                    : pressedAt);
        }
        accepted = route == Route::InputMethod
                       ? filterCommit(form, box, static_cast<QInputMethodEvent*>(cause), text)
                       : fnFilterText(form, text);
    }
    if (route == Route::Drop) {
        auto* drop = static_cast<QDropEvent*>(cause);
        if (!guard || accepted.isEmpty()) {
            drop->ignore();
            return QString();
        }
        // Some of a moved text refused: its source keeps it all.
        if (accepted != text && (drop->possibleActions() & Qt::CopyAction)) {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
        } else {
            drop->acceptProposedAction();
        }
    }
    if (!guard) return QString();
    if (route == Route::InputMethod)
        resendCommit(box, static_cast<QInputMethodEvent*>(cause), accepted);
    else if (!accepted.isEmpty())
        box->insert(accepted);
    return accepted;
}

bool BoxInput::eventFilter(QObject* obj, QEvent* e) {
    if (obj != parent()) return false;
    switch (e->type()) {
    case QEvent::InputMethod: {
        auto* commit = static_cast<QInputMethodEvent*>(e);
        const FormBase* f = form();
        if (!f || isResending(obj) || commit->commitString().isEmpty()) return false;
        // A read-only QLineEdit would take it all the same.
        if (f->isEnabled() && !box()->isReadOnly())
            insertText(commit->commitString(), Route::InputMethod, commit);
        return true;
    }
    case QEvent::ContextMenu:
        if (!form() || box()->contextMenuPolicy() != Qt::DefaultContextMenu) return false;
        showContextMenu(static_cast<QContextMenuEvent*>(e)->globalPos());
        return true;
    case QEvent::Drop: {
        const QMimeData* data = static_cast<QDropEvent*>(e)->mimeData();
        // QLineEdit refuses the rest itself.
        if (!form() || !data || !data->hasText() || box()->isReadOnly()) return false;
        insertText(data->text(), Route::Drop, e);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!form() || !pastesSelection(obj, e)) return false;
        insertText(QApplication::clipboard()->text(QClipboard::Selection), Route::MiddleButton);
        return true;
    default:
        return false;
    }
}

void BoxInput::showContextMenu(const QPoint& globalPos) {
    QMenu* menu = box()->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString paste = QLineEdit::tr("&Paste");
    for (QAction* a : menu->actions()) {
        if (a->text().section(QLatin1Char('\t'), 0, 0) != paste &&
            a->objectName() != QLatin1String("edit-paste"))
            continue;
        // The menu's Paste goes through the rules like Ctrl+V.
        disconnect(a, &QAction::triggered, box(), nullptr);
        connect(a, &QAction::triggered, this,
                [this] { insertText(QApplication::clipboard()->text(), Route::Paste); });
    }
    menu->popup(globalPos);
}

// A line edit inserts a key's text under every modifier but Ctrl and Ctrl+Shift (Alt, AltGr, Super,
// Ctrl+Alt and the keypad all type), and formatting characters (ZWNJ, ...) even under those.
bool BoxInput::typesText(const QKeyEvent* e) {
    const QString text = e->text();
    if (text.isEmpty() || isLineEditShortcut(e)) return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format) return true;
    const Qt::KeyboardModifiers held = e->modifiers();
    if (held == Qt::ControlModifier || held == (Qt::ControlModifier | Qt::ShiftModifier)) return false;
    return c.unicode() >= 32 && c.unicode() != 127;
}

bool BoxInput::isPasteKey(const QKeyEvent* e) {
    return e->matches(QKeySequence::Paste) ||
           (e->key() == Qt::Key_Insert && e->modifiers() == Qt::ShiftModifier);
}

bool BoxInput::pastesSelection(const QObject* box, const QEvent* e) {
    const auto* edit = qobject_cast<const QLineEdit*>(box);
    return e->type() == QEvent::MouseButtonRelease &&
           static_cast<const QMouseEvent*>(e)->button() == Qt::MiddleButton && isTextBox(edit) &&
           QApplication::clipboard()->supportsSelection() && !edit->isReadOnly();
}

void BoxInput::resendCommit(QObject* target, const QInputMethodEvent* commit, const QString& accepted) {
    // What is still being composed stays as the input method showed it; a replacement whose every
    // character was refused leaves the text alone.
    QInputMethodEvent again(commit->preeditString(), commit->attributes());
    if (!accepted.isEmpty())
        again.setCommitString(accepted, commit->replacementStart(), commit->replacementLength());
    const QScopedValueRollback<const QObject*> resending(resendTarget, target);
    QCoreApplication::sendEvent(target, &again);
}

bool BoxInput::isResending(const QObject* target) {
    return target && target == resendTarget;
}
