#include "menu/frmMenu.h"

#include "data/basSettings.h"
#include "ui/basToolbar.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
struct ScreenEntry {
    int number;
    const char16_t* name;
};
constexpr ScreenEntry kScreens[] = {
    {1, u"入庫処理"},
    {2, u"在庫数調整"},
    {3, u"商品台帳"},
    {4, u"在庫一覧表"},
    {5, u"入庫処理／在庫数調整一覧表"},
    {6, u"棚卸取込"},
};
} // namespace

frmMenu::frmMenu(QWidget* parent)
    : QWidget(parent), m_program(QDir(fnProgramFolder()).filePath(QStringLiteral("zanmo"))) {
    setWindowTitle(QStringLiteral("ＰＥＬＫＯ 在庫管理"));
    setWindowIcon(fnProgramIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(10);
    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    for (const ScreenEntry& s : kScreens) {
        const int n = s.number;
        auto* button = new QPushButton(QStringLiteral("%1  %2").arg(n).arg(QString::fromUtf16(s.name)), this);
        button->setObjectName(QStringLiteral("cmdScreen%1").arg(n));
        button->setFont(big);
        button->setMinimumHeight(56);
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 80);
        connect(button, &QPushButton::clicked, this, [this, n] { startScreen(n); });
        // Plain digit keys as well as the keypad, without needing focus on the button.
        auto* key = new QShortcut(QKeySequence(QKeyCombination(Qt::Key(Qt::Key_0 + n))), this);
        connect(key, &QShortcut::activated, this, [this, n] { startScreen(n); });
        auto* pad =
            new QShortcut(QKeySequence(QKeyCombination(Qt::KeypadModifier, Qt::Key(Qt::Key_0 + n))), this);
        connect(pad, &QShortcut::activated, this, [this, n] { startScreen(n); });
        layout->addWidget(button);
    }
    m_data = new QLabel(this);
    m_data->setObjectName(QStringLiteral("lblData"));
    m_data->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_data);
    m_missing = new QLabel(this);
    m_missing->setObjectName(QStringLiteral("lblMissing"));
    m_missing->setWordWrap(true);
    // The command is there to be copied.
    m_missing->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_missing);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    layout->addWidget(m_status);
    showData();
}

void frmMenu::showData() {
    const quint8 mode = fnGetDbMode();
    const QString data = fnDataDescription(mode);
    m_data->setText(
        data.isEmpty()
            ? QStringLiteral("データ: %1 の dbmode が不正です").arg(QDir::toNativeSeparators(fnIniPath()))
            : QStringLiteral("データ: ") + data);
    // A server is checked when a screen connects; a file can be looked for now.
    const QString file = mode <= 1 ? fnDataFilePath(mode) : QString();
    const bool missing = !file.isEmpty() && !QFileInfo(file).isFile();
    m_missing->setVisible(missing);
    if (!missing) {
        m_missing->clear();
        return;
    }
    const QString folder = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
    QString text = QStringLiteral("%1 がありません。店の data1.dat をこのフォルダにコピーしてください。"
                                  "試すだけなら、見本のデータを作れます:\n  zanmo-tool init --demo %2")
                       .arg(QDir::toNativeSeparators(file), folder);
    // The installed program folder belongs to root: the data go elsewhere, named in the settings.
    if (mode == 0 && !QFileInfo(QFileInfo(file).absolutePath()).isWritable())
        text += QStringLiteral("\nこのフォルダに書き込めないときは、%1 に dbmode=1 と "
                               "dbpath=データのフォルダ を書き、そのフォルダに置いてください。")
                    .arg(QDir::toNativeSeparators(fnIniPath()));
    m_missing->setText(text);
}

void frmMenu::keyPressEvent(QKeyEvent* e) {
    if (e->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(e);
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    // A push button outside a dialog takes only Space; Enter reaches its window.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

bool frmMenu::event(QEvent* e) {
    // Back from a terminal where the data were made: the notice follows at once.
    if (e->type() == QEvent::WindowActivate) showData();
    return QWidget::event(e);
}

bool frmMenu::startScreen(int n) {
    qint64 pid = 0;
    // Detached so a screen outlives the launcher and the launcher stays free for the next one.
    const bool ok =
        QProcess::startDetached(m_program, {QString::number(n)}, QFileInfo(m_program).path(), &pid);
    m_status->setText(ok ? QString() : QStringLiteral("%1 を起動できませんでした").arg(m_program));
    if (ok) emit screenStarted(n, pid);
    return ok;
}
