#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// The launcher: one large button per screen, each starting `zanmo N` from its own folder. Enter
// starts the focused screen, Escape closes the launcher; a missing data1.dat is told with what to do.
class frmMenu : public QWidget {
    Q_OBJECT

public:
    explicit frmMenu(QWidget* parent = nullptr);

    // The zanmo executable the buttons start (beside this program unless a test points it elsewhere).
    QString programPath() const { return m_program; }
    void setProgramPath(const QString& path) { m_program = path; }
    // Starts screen n (1 to 5); false when the program could not be started.
    bool startScreen(int n);
    // Reads zanmo.ini again and tells whether the database file is there.
    void showData();

signals:
    void screenStarted(int n, qint64 pid);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;

private:
    QString m_program;
    QLabel* m_data = nullptr;
    QLabel* m_missing = nullptr;
    QLabel* m_status = nullptr;
};
