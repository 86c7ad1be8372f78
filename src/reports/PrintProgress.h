#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// Beside a print screen's busy label while a list is laid out, printed or exported: once the work
// has taken longer than showAfterMs, a bar with the count "done / total" and a button that stops it
// (Escape stops it too). Between steps the window repaints and takes only the stopping input; any
// other key or click meanwhile is thrown away.
class PrintProgress : public QWidget {
    Q_OBJECT
public:
    // Put into the layout that holds lblMsg, right after it.
    explicit PrintProgress(QLabel* lblMsg);

    // One step of the work; false once the user has asked to stop.
    bool step(int done, int total);
    bool stopRequested() const { return m_stop; }
    void requestStop() { m_stop = true; }

    static int showAfterMs; // 1000; tests make it 0

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QProgressBar* m_bar = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_stopButton = nullptr;
    QElapsedTimer m_clock;
    bool m_stop = false;
};
