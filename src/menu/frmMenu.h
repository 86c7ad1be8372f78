#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// The launcher: one large button per screen, each starting `zanmo N` from its own folder.
class frmMenu : public QWidget {
    Q_OBJECT

public:
    explicit frmMenu(QWidget* parent = nullptr);

    // The zanmo executable the buttons start (beside this program unless a test points it elsewhere).
    QString programPath() const { return m_program; }
    void setProgramPath(const QString& path) { m_program = path; }
    // Starts screen n (1 to 5); false when the program could not be started.
    bool startScreen(int n);

signals:
    void screenStarted(int n, qint64 pid);

private:
    QString m_program;
    QLabel* m_status = nullptr;
};
