#include "ui/FormBase.h"

#include "ui/WindowPlacement.h"
#include "ui/basAccessible.h"

#include "app/basOperationLog.h"
#include "ui/BoxInput.h"
#include "ui/basLabel.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

// Resources of a static library are registered by hand (outside any namespace).
static void initUiResources() {
    Q_INIT_RESOURCE(ui);
}

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
    BoxInput::attach(box);
    return box;
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

BoxInput* FormBase::inputOf(QObject* obj) const {
    auto* w = ownsWidget(obj) ? static_cast<QWidget*>(obj) : nullptr;
    return isTextBox(w) ? BoxInput::attach(static_cast<QLineEdit*>(w)) : nullptr;
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
        // A text box's rules take its commits; elsewhere their characters are swallowed, as typed ones are.
        if (ownsWidget(obj) && !inputOf(obj) && !BoxInput::isResending(obj) &&
            !static_cast<QInputMethodEvent*>(e)->commitString().isEmpty()) {
            if (isEnabled()) BoxInput::resendCommit(obj, static_cast<QInputMethodEvent*>(e), QString());
            return true;
        }
        break;
    case QEvent::FocusIn:
        if (ownsWidget(obj)) {
            m_focusInWidget = static_cast<QWidget*>(obj);
            m_focusInReason = static_cast<QFocusEvent*>(e)->reason();
        }
        break;
    case QEvent::ContextMenu:
    case QEvent::Drop:
        inputOf(obj); // a box made elsewhere gets its rules, whose filter runs next
        break;
    case QEvent::Paint:
    case QEvent::ToolTip:
        if (auto* label = qobject_cast<QLabel*>(obj);
            label && ownsWidget(label) && label->objectName().contains(QLatin1String("Name")))
            return fnElidedLabelEvent(label, e);
        break;
    case QEvent::MouseButtonRelease:
        inputOf(obj);
        if (m_clickedBox && obj == m_clickedBox) {
            QLineEdit* box = m_clickedBox;
            m_clickedBox = nullptr;
            // The click placed the cursor and undid the select-on-focus; a drag keeps its own selection,
            // and the middle button pastes where it went down.
            if (m_clickedBoxSelected && box->hasFocus() && !box->hasSelectedText() &&
                !BoxInput::pastesSelection(box, e))
                box->selectAll();
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

    if (BoxInput* input = inputOf(activeControl(this)); input && BoxInput::isPasteKey(e)) {
        input->insertText(QApplication::clipboard()->text(), BoxInput::Route::Paste);
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
    if (!BoxInput::typesText(e)) return false;
    const QList<uint> chars = e->text().toUcs4();
    QWidget* active = activeControl(this);
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
    if (BoxInput* input = inputOf(active)) input->insertText(accepted, BoxInput::Route::Key);
    return true;
}

bool FormBase::enterBox(QLineEdit* box) {
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
    if (BoxInput* input = inputOf(box)) input->insertText(text, BoxInput::Route::Paste);
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
        WindowPlacement::restore(this, WindowPlacement::keyOf(this));
        if (layout()) layout()->activate();
        fnNameFieldsByCaptions(this);
        // The window manager's frame is known only once the window is up.
        QTimer::singleShot(200, this, [this] { WindowPlacement::fitFrame(this); });
    }
    QDialog::showEvent(e);
}

void FormBase::hideEvent(QHideEvent* e) {
    if (m_firstShowDone && !e->spontaneous()) WindowPlacement::remember(this, WindowPlacement::keyOf(this));
    QDialog::hideEvent(e);
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
    m_help.close();
    QDialog::closeEvent(e);
}
