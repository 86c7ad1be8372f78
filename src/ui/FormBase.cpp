#include "ui/FormBase.h"

#include "app/basOperationLog.h"
#include "ui/basLabel.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

// Resources of a static library are registered by hand (outside any namespace).
static void initUiResources() {
    Q_INIT_RESOURCE(ui);
}

namespace {

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

// Whether a line edit would insert the key's text. It does under every modifier but Ctrl and
// Ctrl+Shift (Alt, AltGr, Super, Ctrl+Alt and the keypad all type), and formatting characters
// (ZWNJ, ...) even under those.
bool typesText(const QKeyEvent* e) {
    const QString text = e->text();
    if (text.isEmpty() || isLineEditShortcut(e)) return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format) return true;
    const Qt::KeyboardModifiers held = e->modifiers();
    if (held == Qt::ControlModifier || held == (Qt::ControlModifier | Qt::ShiftModifier)) return false;
    return c.unicode() >= 32 && c.unicode() != 127;
}

} // namespace

FormBase::FormBase(FormKind kind, QWidget* parent) : QDialog(parent), m_kind(kind) {
    initUiResources();
    if (kind == FormKind::Screen) {
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    } else {
        setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    }
    m_logOpenClose = kind == FormKind::Screen;
    setWindowIcon(fnProgramIcon());
    setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolbar = fnCreateFunctionToolbar(this);
    layout->addWidget(m_toolbar);
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("body"));
    layout->addWidget(m_body, 1);
    fnSetToolbar(m_toolbar, imlFunction, QStringLiteral("1111-1111-1111"));
    connect(m_toolbar, &QToolBar::actionTriggered, this, [this](QAction* a) {
        const int n = a->data().toInt();
        if (n >= 1 && n <= 12) toolbarClick(n);
    });

    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &FormBase::onFocusChanged);
}

FormBase::~FormBase() {
    // QDialog hides the window after this body: no hook may run on the half-destroyed form.
    if (qApp) {
        qApp->removeEventFilter(this);
        disconnect(qApp, nullptr, this, nullptr);
    }
}

void FormBase::setToolbar(const QString& pattern) {
    fnSetToolbar(m_toolbar, imlFunction, pattern);
}

void FormBase::enableToolbar(const QString& pattern) {
    fnEnableToolbar(m_toolbar, pattern);
}

void FormBase::fitToolbar() {
    fnFitToolbar(this, m_toolbar);
}

bool FormBase::isToolbarEnabled(int n) const {
    const QAction* a = fnToolbarButton(m_toolbar, n);
    return a && a->isEnabled();
}

QString FormBase::helpPage() const {
    auto exists = [](const QString& page) {
        return QFile::exists(QStringLiteral(":/help/%1.html").arg(page));
    };
    if (!m_helpPage.isEmpty() && exists(m_helpPage)) return m_helpPage;
    const QString own = QString::fromLatin1(metaObject()->className());
    if (exists(own)) return own;
    return QStringLiteral("index");
}

void FormBase::setHelpContext(int contextId) {
    const QString page = QStringLiteral("context%1").arg(contextId);
    if (QFile::exists(QStringLiteral(":/help/%1.html").arg(page))) m_helpPage = page;
}

QWidget* FormBase::showHelp() {
    if (!m_help) {
        m_help = new QDialog(this, Qt::Window);
        m_help->setObjectName(QStringLiteral("frmHelp"));
        m_help->setAttribute(Qt::WA_DeleteOnClose, false);
        auto* layout = new QVBoxLayout(m_help);
        auto* browser = new QTextBrowser(m_help);
        browser->setObjectName(QStringLiteral("helpBrowser"));
        browser->setOpenExternalLinks(false);
        layout->addWidget(browser);
        m_help->resize(600, 480);
    }
    auto* browser = m_help->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
    browser->setSource(QUrl(QStringLiteral("qrc:/help/%1.html").arg(helpPage())));
    m_help->setWindowTitle(QStringLiteral("ヘルプ － %1").arg(windowTitle()));
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
    return m_help;
}

void FormBase::applyTabOrder() {
    QList<QWidget*> controls;
    for (QWidget* w : findChildren<QWidget*>())
        if (w->window() == this && tabIndex(w) >= 0) controls.append(w);
    std::stable_sort(controls.begin(), controls.end(),
                     [](const QWidget* a, const QWidget* b) { return tabIndex(a) < tabIndex(b); });
    for (int i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls.at(i - 1), controls.at(i));
}

QLineEdit* FormBase::newTextBox(QWidget* parent, const QString& name, int tabIndex, const QString& mode,
                                int maxBytes) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    setTabIndex(box, tabIndex);
    setTabStop(box, true);
    setInputMode(box, mode);
    setByteMaxLength(box, maxBytes);
    return box;
}

QTreeWidget* FormBase::newListView(QWidget* parent, int tabIndex) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QStringLiteral("ListView"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setColumnCount(0);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsClickable(true);
    list->header()->setSectionsMovable(false);
    setTabIndex(list, tabIndex);
    return list;
}

void FormBase::formKeyDown(int& key, Qt::KeyboardModifiers modifiers) {
    m_modifiers = modifiers;
    runKeyNavigation(key);
    runFunctionKeys(key);
    runMoveFocus(key);
}

void FormBase::runKeyNavigation(int& key) {
    if (key == 0) return;
    m_keyDown.fnKeyDown(this, key);
}

void FormBase::runFunctionKeys(int& key) {
    if (key < Qt::Key_F1 || key > Qt::Key_F12) return;
    const int n = key - Qt::Key_F1 + 1;
    key = 0;
    if (isToolbarEnabled(n)) functionKey(n);
}

void FormBase::runMoveFocus(int& key) {
    if (key == 0) return;
    // Alt+Down opens a date picker's calendar; it is no field move.
    if (m_modifiers & Qt::AltModifier) return;
    fnMoveFocus(this, key, m_arrows);
}

void FormBase::formKeyPress(char32_t& ch) {
    if (ch == 13 || ch == 10 || ch == 27) {
        ch = 0;
        return;
    }
    if (ch == 8) return;
    fnFilterKey(this, ch);
    fnCheckByteLength(this, ch);
}

void FormBase::functionKey(int n) {
    if (n == 1) showHelp();
}

void FormBase::toolbarClick(int n) {
    functionKey(n);
}

void FormBase::focusEnter(QWidget*) {}

void FormBase::focusLeave(QWidget*, QWidget*, bool) {}

bool FormBase::ownsWidget(const QObject* obj) const {
    return obj && obj->isWidgetType() && static_cast<const QWidget*>(obj)->window() == this;
}

bool FormBase::eventFilter(QObject* obj, QEvent* e) {
    switch (e->type()) {
    case QEvent::KeyPress:
        if (ownsWidget(obj)) return handleKeyPress(obj, static_cast<QKeyEvent*>(e));
        break;
    case QEvent::KeyRelease:
        if (ownsWidget(obj)) {
            m_lastKeyEvent = nullptr;
            if (!isEnabled()) return true;
        }
        break;
    case QEvent::InputMethod:
        if (ownsWidget(obj)) return handleInputMethod(obj, static_cast<QInputMethodEvent*>(e));
        break;
    case QEvent::FocusIn:
        if (ownsWidget(obj)) {
            m_focusInWidget = static_cast<QWidget*>(obj);
            m_focusInReason = static_cast<QFocusEvent*>(e)->reason();
        }
        break;
    case QEvent::ContextMenu:
        if (ownsWidget(obj) && isTextBox(static_cast<QWidget*>(obj)) &&
            static_cast<QWidget*>(obj)->contextMenuPolicy() == Qt::DefaultContextMenu) {
            showContextMenu(static_cast<QLineEdit*>(obj), static_cast<QContextMenuEvent*>(e)->globalPos());
            return true;
        }
        break;
    case QEvent::Drop:
        if (ownsWidget(obj) && isTextBox(static_cast<QWidget*>(obj)))
            return handleDrop(static_cast<QLineEdit*>(obj), static_cast<QDropEvent*>(e));
        break;
    case QEvent::Paint:
    case QEvent::ToolTip:
        if (auto* label = qobject_cast<QLabel*>(obj);
            label && ownsWidget(label) && label->objectName().contains(QLatin1String("Name")))
            return fnElidedLabelEvent(label, e);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(e)->button() == Qt::MiddleButton && ownsWidget(obj) &&
            isTextBox(static_cast<QWidget*>(obj)) && handleMiddleButton(static_cast<QLineEdit*>(obj)))
            return true;
        if (m_clickedBox && obj == m_clickedBox) {
            QLineEdit* box = m_clickedBox;
            m_clickedBox = nullptr;
            // The click placed the cursor and undid the select-on-focus; a drag keeps its own selection.
            if (m_clickedBoxSelected && box->hasFocus() && !box->hasSelectedText()) box->selectAll();
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(obj, e);
}

bool FormBase::handleKeyPress(QObject* obj, QKeyEvent* e) {
    // Qt hands an unused key on to the parent widgets: preview it once only.
    if (e == m_lastKeyEvent && m_lastKeyReceiver && obj != m_lastKeyReceiver && obj->isWidgetType() &&
        m_lastKeyReceiver->isWidgetType() &&
        static_cast<QWidget*>(obj)->isAncestorOf(static_cast<QWidget*>(m_lastKeyReceiver.data())))
        return false;
    m_lastKeyEvent = e;
    m_lastKeyReceiver = obj;

    auto* target = static_cast<QWidget*>(obj);
    if (!isEnabled() || !target->isEnabled()) return true;
    // A key sent straight to a text box that does not have the focus acts as if the box had it.
    if (isTextBox(target) && activeControl(this) != target) target->setFocus(Qt::OtherFocusReason);

    QWidget* active = activeControl(this);
    if (isTextBox(active) && (e->matches(QKeySequence::Paste) ||
                              (e->key() == Qt::Key_Insert && e->modifiers() == Qt::ShiftModifier))) {
        pasteText(static_cast<QLineEdit*>(active), QApplication::clipboard()->text());
        return true;
    }

    QPointer<FormBase> self(this);
    int key = e->key();
    // Held for runMoveFocus even when a form's own formKeyDown does not pass them on.
    m_modifiers = e->modifiers();
    formKeyDown(key, e->modifiers());
    if (!self) return true;
    if (key == 0) return true;

    // Key-press steps.
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return true;
    if (key == Qt::Key_Backspace) return false;
    // Whatever modifier is held, text the box would take meets the rules of a plain key.
    if (!typesText(e)) return false;
    const QList<uint> chars = e->text().toUcs4();
    active = activeControl(this);
    if (!isTextBox(active) &&
        (qobject_cast<QAbstractButton*>(active) || qobject_cast<QAbstractSpinBox*>(active))) {
        // Buttons and the date picker act on the key itself, not on the character it makes.
        return false;
    }
    QString accepted;
    bool changed = false;
    for (uint u : chars) {
        char32_t ch = u;
        formKeyPress(ch);
        if (!self) return true;
        if (ch == 0 || ch != u) changed = true;
        if (ch != 0) accepted += QString::fromUcs4(&ch, 1);
    }
    if (!changed) return false;
    if (!accepted.isEmpty() && isTextBox(active)) static_cast<QLineEdit*>(active)->insert(accepted);
    return true;
}

bool FormBase::handleInputMethod(QObject* obj, QInputMethodEvent* e) {
    if (m_forwardingInput) return false;
    if (e->commitString().isEmpty()) return false;
    if (!isEnabled()) return true;
    auto* target = static_cast<QWidget*>(obj);
    QPointer<FormBase> self(this);
    QPointer<QWidget> guard(target);
    auto* box = isTextBox(target) ? static_cast<QLineEdit*>(target) : nullptr;
    if (box && box->isReadOnly()) return true; // QLineEdit would take it all the same

    // Outside a text box every character is swallowed, as typed ones are.
    QString accepted;
    if (box && prepareTextInput(box)) {
        if (e->replacementLength() > 0) {
            // The characters the input method replaces (and the selection) go first, as QLineEdit
            // takes them out before inserting.
            QString rest = box->text();
            int cursor = box->cursorPosition();
            if (box->hasSelectedText()) {
                cursor = box->selectionStart();
                rest.remove(cursor, box->selectionLength());
            }
            const int from = qMax(0, cursor + e->replacementStart());
            if (from + e->replacementLength() <= rest.size()) rest.remove(from, e->replacementLength());
            accepted = fnFilterText(this, e->commitString(), rest);
        } else {
            accepted = fnFilterText(this, e->commitString());
        }
    }
    if (!self || !guard) return true;

    struct Forwarding {
        QPointer<FormBase> form;
        explicit Forwarding(FormBase* f) : form(f) { f->m_forwardingInput = true; }
        ~Forwarding() {
            if (form) form->m_forwardingInput = false;
        }
    } forwarding(this);
    // What is still being composed stays as the input method showed it; a replacement whose every
    // character was refused leaves the text alone.
    QInputMethodEvent commit(e->preeditString(), e->attributes());
    if (!accepted.isEmpty()) commit.setCommitString(accepted, e->replacementStart(), e->replacementLength());
    QCoreApplication::sendEvent(target, &commit);
    return true;
}

bool FormBase::prepareTextInput(QLineEdit* box) {
    if (!box || !isEnabled() || !box->isEnabled() || box->isReadOnly()) return false;
    QPointer<FormBase> self(this);
    QPointer<QLineEdit> guard(box);
    const bool entered = box->hasFocus() || (m_enteredBox == box && activeControl(this) == box);
    if (!entered) {
        QWidget* was = activeControl(this);
        // As a key sent to the box would: the field being left runs its checks first.
        box->setFocus(Qt::OtherFocusReason);
        if (!self || !guard) return false;
        if (!box->hasFocus() && activeControl(this) == box) {
            // Text dragged from another program: Qt moves no focus in an inactive window until it is
            // activated, so the box is entered here (its focused rules on) before the text is measured.
            m_enteredBox = nullptr;
            dispatchFocusChange(was == box ? nullptr : was, box, true);
            if (!self || !guard) return false;
            if (activeControl(this) == box) {
                m_enteredBox = box;
                activateWindow();
                if (!self || !guard) return false;
            }
        }
        if (activeControl(this) != box) return false;
    }
    // The first "key" in the box: Escape brings back the text from before.
    int key = Qt::Key_unknown;
    runKeyNavigation(key);
    return self && guard;
}

void FormBase::pasteText(QLineEdit* box, const QString& text) {
    QPointer<QLineEdit> guard(box);
    if (!prepareTextInput(box) || !guard) return;
    const QString accepted = fnFilterText(this, text);
    if (!accepted.isEmpty()) box->insert(accepted);
}

void FormBase::showContextMenu(QLineEdit* box, const QPoint& globalPos) {
    QMenu* menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString paste = QLineEdit::tr("&Paste");
    for (QAction* a : menu->actions()) {
        if (a->text().section(QLatin1Char('\t'), 0, 0) != paste &&
            a->objectName() != QLatin1String("edit-paste"))
            continue;
        // The menu's Paste goes through the key rules like Ctrl+V.
        disconnect(a, &QAction::triggered, box, nullptr);
        connect(a, &QAction::triggered, this, [this, guard = QPointer<QLineEdit>(box)] {
            if (guard) pasteText(guard, QApplication::clipboard()->text());
        });
    }
    menu->popup(globalPos);
}

bool FormBase::handleDrop(QLineEdit* box, QDropEvent* e) {
    const QMimeData* data = e->mimeData();
    if (!data || !data->hasText() || box->isReadOnly()) return false; // QLineEdit refuses it
    const QString text = data->text();
    QPointer<QLineEdit> guard(box);
    QString accepted;
    if (prepareTextInput(box) && guard) {
        // Dropped text goes in where it was let go, whatever was selected; entering the box may have
        // rewritten its text ("1,234" -> "1234"), so the place is read afterwards.
        box->deselect();
        box->setCursorPosition(box->cursorPositionAt(e->position().toPoint()));
        accepted = fnFilterText(this, text);
    }
    if (!guard || accepted.isEmpty()) {
        e->ignore();
        return true;
    }
    // Some of a moved text refused: its source keeps it all.
    if (accepted != text && (e->possibleActions() & Qt::CopyAction)) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->acceptProposedAction();
    }
    box->insert(accepted);
    return true;
}

bool FormBase::handleMiddleButton(QLineEdit* box) {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard->supportsSelection() || box->isReadOnly()) return false;
    if (m_clickedBox == box) m_clickedBox = nullptr;
    // The press put the cursor where the button went down; the selection there stays as it is.
    const int at = box->cursorPosition();
    QPointer<QLineEdit> guard(box);
    if (!prepareTextInput(box) || !guard) return true;
    box->deselect();
    box->setCursorPosition(at);
    const QString accepted = fnFilterText(this, clipboard->text(QClipboard::Selection));
    if (!accepted.isEmpty()) box->insert(accepted);
    return true;
}

void FormBase::onFocusChanged(QWidget* old, QWidget* now) {
    if (m_enteredBox && (ownsWidget(old) || ownsWidget(now))) {
        QPointer<QLineEdit> entered = m_enteredBox;
        m_enteredBox = nullptr;
        if (!ownsWidget(old)) {
            // The window's activation brings the focus back to the box a drop already entered: it is
            // not entered again (that would select the text the drop put in).
            if (now == entered) return;
            // The focus landed elsewhere meanwhile: that box is left first.
            if (entered) old = entered;
        }
    }
    dispatchFocusChange(old, now, false);
}

void FormBase::dispatchFocusChange(QWidget* old, QWidget* now, bool byHand) {
    const bool oldInside = ownsWidget(old);
    const bool nowInside = ownsWidget(now);
    QPointer<FormBase> self(this);
    if (oldInside) focusLeave(old, now, nowInside);
    if (!self) return;
    // A focus the leave step sent elsewhere is entered there, not here.
    if (nowInside && (byHand ? activeControl(this) == now : now->hasFocus())) {
        focusEnter(now);
        if (!self) return;
        auto* box = qobject_cast<QLineEdit*>(now);
        if (!byHand && box && m_focusInWidget == now && m_focusInReason == Qt::MouseFocusReason) {
            m_clickedBox = box;
            m_clickedBoxSelected = box->hasSelectedText() && box->selectedText() == box->text();
        } else {
            m_clickedBox = nullptr;
        }
    }
}

void FormBase::showEvent(QShowEvent* e) {
    if (!m_firstShowDone) {
        m_firstShowDone = true;
        applyTabOrder();
        if (!focusWidget() || !fnCanFocus(focusWidget())) {
            QWidget* first = nullptr;
            for (QWidget* w : findChildren<QWidget*>()) {
                if (w->window() != this || tabIndex(w) < 0 || !fnCanFocus(w)) continue;
                if (!first || tabIndex(w) < tabIndex(first)) first = w;
            }
            if (first) first->setFocus(Qt::OtherFocusReason);
        }
        if (m_logOpenClose && !m_opened) fnOperationLog(windowTitle(), 0);
        m_opened = true;
    }
    QDialog::showEvent(e);
}

void FormBase::closeEvent(QCloseEvent* e) {
    if (!queryUnload()) {
        e->ignore();
        return;
    }
    if (!m_unloaded) {
        m_unloaded = true;
        if (m_logOpenClose && m_opened) fnOperationLog(windowTitle(), 9);
        formUnload();
    }
    if (m_help) m_help->close();
    QDialog::closeEvent(e);
}
