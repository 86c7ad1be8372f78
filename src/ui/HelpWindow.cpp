#include "ui/HelpWindow.h"

#include <QDialog>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

bool pageExists(const QString& page) {
    return QFile::exists(QStringLiteral(":/help/%1.html").arg(page));
}

} // namespace

QString HelpWindow::helpPage() const {
    if (!m_page.isEmpty() && pageExists(m_page)) return m_page;
    const QString own = QString::fromLatin1(m_form->metaObject()->className());
    if (pageExists(own)) return own;
    return QStringLiteral("index");
}

void HelpWindow::setHelpContext(int contextId) {
    const QString page = QStringLiteral("context%1").arg(contextId);
    if (pageExists(page)) m_page = page;
}

QWidget* HelpWindow::showHelp() {
    if (!m_window) {
        m_window = new QDialog(m_form, Qt::Window);
        m_window->setObjectName(QStringLiteral("frmHelp"));
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        auto* layout = new QVBoxLayout(m_window);
        auto* browser = new QTextBrowser(m_window);
        browser->setObjectName(QStringLiteral("helpBrowser"));
        browser->setOpenExternalLinks(false);
        layout->addWidget(browser);
        m_window->resize(600, 480);
    }
    auto* browser = m_window->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
    browser->setSource(QUrl(QStringLiteral("qrc:/help/%1.html").arg(helpPage())));
    m_window->setWindowTitle(QStringLiteral("ヘルプ － %1").arg(m_form->windowTitle()));
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return m_window;
}

QWidget* HelpWindow::window() const {
    return m_window;
}

void HelpWindow::close() {
    if (m_window) m_window->close();
}
