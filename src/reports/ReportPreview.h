#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <optional>

class ActiveReport;
class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolBar;
class ReportPageView;

// The preview window of a report: its toolbar (built from the report's Toolbar), one page at a
// time at the report's zoom, and every key handed to the report's KeyDown event. At first show the
// zoom is the largest 10% step at which the page width fits the window; a zoom change keeps the
// point in the middle of the window (or under the mouse, for Ctrl+wheel) on the same spot of the
// page.
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
    void resizeEvent(QResizeEvent* event) override;

private:
    // Hands the key to the report; true when the key is used up.
    bool handleKey(QKeyEvent* event);
    void runEngineTool(int id);
    void showCurrentPage();
    void jumpToTypedPage();
    void watchChildren();
    void fitPageWidth();
    void fitWholePage();
    void fitToolbar();
    // PgDn/PgUp/Home/End turn pages, Ctrl++ / Ctrl+- zoom; true when the key was one of them.
    bool viewerKey(const QKeyEvent* event);
    // Zoom out (negative) or in by 10% steps, keeping the page point at anchor (viewport
    // coordinates; the middle when none) in place.
    void stepZoom(int steps, std::optional<QPoint> anchor = {});
    void zoomKeepingPoint();

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
    bool m_fitted = false;
    std::optional<QPoint> m_zoomAnchor;
    int m_wheelDelta = 0; // eighths of a degree not yet turned into a zoom step
};
