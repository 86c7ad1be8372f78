#pragma once

#include "reports/ReportControl.h"

#include <QString>
#include <memory>
#include <vector>

// A band of the report (page header, detail, page footer) with its controls.
class ReportSection {
public:
    // Layout actions of the format events: 7 lays the section out and prints it; 4 goes on to the
    // next record without printing this one.
    enum LayoutActions { ddLANextRecord = 4, ddLAPrintSection = 7 };

    explicit ReportSection(const QString& name) : m_name(name) {}
    ReportSection(const ReportSection&) = delete;
    ReportSection& operator=(const ReportSection&) = delete;

    const QString& name() const { return m_name; }

    int Height = 0; // twips
    bool Visible = true;
    int LayoutAction = ddLAPrintSection;

    ReportControl* addLabel(const QString& name, const QString& caption, int left, int top, int width,
                            int height);
    ReportControl* addTextField(const QString& name, const QString& dataField, int left, int top, int width,
                                int height, const QString& outputFormat = QString());
    ReportControl* addLine(const QString& name, int x1, int y1, int x2, int y2, int weight = 1);

    // The control of that name (case-insensitive), or nullptr.
    ReportControl* control(const QString& name) const;
    const std::vector<std::unique_ptr<ReportControl>>& controls() const { return m_controls; }

private:
    ReportControl* add(std::unique_ptr<ReportControl> c);

    QString m_name;
    std::vector<std::unique_ptr<ReportControl>> m_controls;
};
