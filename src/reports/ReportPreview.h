#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class ActiveReport;
class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolBar;
class ReportPageView;

// The preview window of a report: its toolbar (built from the report's Toolbar), one page at a
// time at the report's zoom, and every key handed to the report's KeyDown event.
class ReportPreview : public QWidget {
    Q_OBJECT
public:
    explicit ReportPreview(ActiveReport* report);
    ~ReportPreview() override;

    ActiveReport* report() const { return m_report; }
    // Sizes, places and shows the window (modeless).
    void showPreview();
    // Rebuilds the toolbar from the report's Toolbar list.
    void rebuildToolbar();
    // Clicks the tool at that position of the report's Toolbar, as the mouse would.
    void clickTool(int position);

    // The Windows key code of a Qt key (F1 = 112 ... F12 = 123, letters and digits as ASCII),
    // and the shift state (1 Shift, 2 Ctrl, 4 Alt).
    static int keyCodeOf(const QKeyEvent* event);
    static int shiftOf(Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Hands the key to the report; true when the key is used up.
    bool handleKey(QKeyEvent* event);
    void runEngineTool(int id);
    void showCurrentPage();
    void jumpToTypedPage();
    void watchChildren();

    QPointer<ActiveReport> m_report;
    QToolBar* m_toolbar = nullptr;
    QScrollArea* m_scroll = nullptr;
    ReportPageView* m_view = nullptr;
    QLineEdit* m_pageBox = nullptr;
    QLabel* m_pageTotal = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QLabel* m_status = nullptr;
    QList<int> m_history; // pages visited, for back and forward
    int m_historyPos = -1;
    bool m_walkingHistory = false;
};
