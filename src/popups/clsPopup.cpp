#include "popups/clsPopup.h"

#include "popups/frmPopup.h"

#include <QApplication>
#include <QPointer>

void clsPopup::fnDefineList(quint8 kind) {
    m_title.clear();
    m_helpContext = 0;
    m_headers.clear();
    m_widths.clear();
    if (kind != 2) return; // the suite's other list kinds read tables this program does not have

    const QString key = IdxKey.trimmed();
    if (key == u"0") {
        m_title = QStringLiteral("受注方法一覧");
        m_helpContext = 6107;
    } else if (key == u"1") {
        m_title = QStringLiteral("入金方法一覧");
        m_helpContext = 6108;
    } else if (key == u"3") {
        m_title = QStringLiteral("分類一覧（送り状種類）");
    } else if (key == u"4") {
        m_title = QStringLiteral("商品分類一覧");
        m_helpContext = 6101;
    } else if (key == u"5") {
        m_title = QStringLiteral("分類一覧（納品書）");
    } else if (key == u"6") {
        m_title = QStringLiteral("分類一覧（タックシール）");
    }

    m_headers << QStringLiteral("コード") << QStringLiteral("名称");
    if (key == u"3") {
        m_widths << 900 << 5300;
        m_headers << QStringLiteral("順番");
        m_widths << 1000;
    } else {
        m_widths << 900 << 6300;
    }
}

void clsPopup::fnSetPopup(quint8 kind, QWidget* parent) {
    fnDefineList(kind);

    if (!parent) parent = QApplication::activeWindow();
    QPointer<frmPopup> dlg = new frmPopup(parent);
    if (m_helpContext != 0) dlg->setHelpContext(m_helpContext);
    dlg->setWindowTitle(m_title);
    dlg->gbytMode = kind;
    dlg->gstrKey1 = IdxKey;
    dlg->gstrKey2 = IdxKey2;
    dlg->gstrKey3 = IdxKey3;
    for (int i = 0; i < m_headers.size(); ++i)
        dlg->addColumn(m_headers.at(i), m_widths.value(i));

    dlg->exec();

    if (dlg) {
        IdxKey = dlg->gstrKey1;
        IdxKey2 = dlg->gstrKey2;
        IdxKey3 = dlg->gstrKey3;
        delete dlg;
    }
}
