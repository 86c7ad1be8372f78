#include "reports/ReportSection.h"

ReportControl* ReportSection::add(std::unique_ptr<ReportControl> c) {
    m_controls.push_back(std::move(c));
    return m_controls.back().get();
}

ReportControl* ReportSection::addLabel(const QString& name, const QString& caption, int left, int top,
                                       int width, int height) {
    auto c = std::make_unique<ReportControl>(ReportControl::Kind::Label, name);
    c->Caption = caption;
    c->Left = left;
    c->Top = top;
    c->Width = width;
    c->Height = height;
    return add(std::move(c));
}

ReportControl* ReportSection::addTextField(const QString& name, const QString& dataField, int left, int top,
                                           int width, int height, const QString& outputFormat) {
    auto c = std::make_unique<ReportControl>(ReportControl::Kind::TextField, name);
    c->DataField = dataField;
    c->OutputFormat = outputFormat;
    c->Left = left;
    c->Top = top;
    c->Width = width;
    c->Height = height;
    return add(std::move(c));
}

ReportControl* ReportSection::addLine(const QString& name, int x1, int y1, int x2, int y2, int weight) {
    auto c = std::make_unique<ReportControl>(ReportControl::Kind::Line, name);
    c->X1 = x1;
    c->Y1 = y1;
    c->X2 = x2;
    c->Y2 = y2;
    c->LineWeight = weight;
    c->Left = qMin(x1, x2);
    c->Top = qMin(y1, y2);
    c->Width = qAbs(x2 - x1);
    c->Height = qAbs(y2 - y1);
    return add(std::move(c));
}

ReportControl* ReportSection::control(const QString& name) const {
    for (const auto& c : m_controls)
        if (c->name.compare(name, Qt::CaseInsensitive) == 0) return c.get();
    return nullptr;
}
