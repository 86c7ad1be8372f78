#pragma once

#include <QWidget>
#include <memory>

class ReportPage;
class ReportTextCache;

// Paints one report page at a zoom, as white paper on the preview's grey background.
class ReportPageView : public QWidget {
    Q_OBJECT
public:
    explicit ReportPageView(QWidget* parent = nullptr);
    ~ReportPageView() override;

    void setPage(const ReportPage* page, int zoomPercent);
    const ReportPage* page() const { return m_page; }
    int zoom() const { return m_zoom; }
    // Device pixels per inch of the paper at the current zoom.
    double dotsPerInch() const;
    QSize sizeHint() const override;
    // The widget's size at another zoom, paper and the desk around it.
    QSize sizeAt(int zoomPercent) const;
    // Where the paper lies in the widget.
    QRect paperRect() const;
    // A widget point as a point on the page in twips, and back, at the current zoom.
    QPointF pageAt(const QPointF& widgetPos) const;
    QPointF widgetPosOf(const QPointF& twips) const;
    static QColor deskColor() { return QColor(0x80, 0x80, 0x80); }
    // The shaped texts of the pages shown so far: paging back and forth shapes nothing again.
    ReportTextCache& textCache() const { return *m_texts; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kGap = 16;
    const ReportPage* m_page = nullptr;
    int m_zoom = 100;
    std::unique_ptr<ReportTextCache> m_texts;
};
