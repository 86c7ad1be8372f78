#pragma once

#include <QWidget>

class ReportPage;

// Paints one report page at a zoom, as white paper on the preview's grey background.
class ReportPageView : public QWidget {
    Q_OBJECT
public:
    explicit ReportPageView(QWidget* parent = nullptr);

    void setPage(const ReportPage* page, int zoomPercent);
    const ReportPage* page() const { return m_page; }
    int zoom() const { return m_zoom; }
    // Device pixels per inch of the paper at the current zoom.
    double dotsPerInch() const;
    QSize sizeHint() const override;
    static QColor deskColor() { return QColor(0x80, 0x80, 0x80); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kGap = 16;
    const ReportPage* m_page = nullptr;
    int m_zoom = 100;
};
