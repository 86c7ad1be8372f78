#pragma once

#include <QColor>
#include <QString>
#include <Qt>

// One control of a report section: a label, a text field or a line. Positions and sizes are in
// twips (1440 per inch) from the top left of the section.
class ReportControl {
public:
    enum class Kind { Label, TextField, Line };
    // A text field may show the page number or the page count instead of data.
    enum class Summary { None, PageNumber, PageCount };

    ReportControl(Kind kind, const QString& name) : kind(kind), name(name) {}

    Kind kind;
    QString name;

    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Visible = true;

    QString Caption;      // label
    QString Text;         // text field; filled from DataField when that is set
    QString DataField;    // field of the report's Fields the text comes from
    QString OutputFormat; // fnFormat pattern applied to the field's value
    Summary SummaryType = Summary::None;

    QString FontName = QStringLiteral("IPAGothic");
    double FontSize = 10.0; // points
    bool FontBold = false;
    Qt::Alignment Alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool WordWrap = false;
    QColor ForeColor = Qt::black;

    // Lines: end points in section twips; LineWeight in screen pixels (15 twips each).
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int LineWeight = 1;

    // What the control shows: the caption of a label, the text of a text field.
    QString displayText() const { return kind == Kind::Label ? Caption : Text; }
    ReportControl& setFont(const QString& family, double points, bool bold = false);
    ReportControl& setAlignment(Qt::Alignment alignment);
};
