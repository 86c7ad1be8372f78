#include "menu/frmMenu.h"

#include "data/basSettings.h"

#include <QDir>
#include <QFileInfo>
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
    const QString data = fnDataDescription(fnGetDbMode());
    auto* dataLine = new QLabel(data.isEmpty() ? QStringLiteral("データ: zanmo.ini の dbmode が不正です")
                                               : QStringLiteral("データ: ") + data,
                                this);
    dataLine->setObjectName(QStringLiteral("lblData"));
    dataLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(dataLine);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    layout->addWidget(m_status);
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
