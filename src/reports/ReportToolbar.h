#pragma once

#include <QIcon>
#include <QList>
#include <QString>

// The preview window's toolbar as a list of tools the report may change before the preview opens:
// tooltip, caption, visibility, numeric ID, and new tools inserted at a position.
class ReportToolbar {
public:
    // The engine's own actions, identified by tool ID.
    enum ToolId {
        IdContents = 5100,
        IdPrint = 5101,
        IdCopy = 5102,
        IdZoomOut = 5103,
        IdZoomIn = 5104,
        IdZoomBox = 5105,
        IdPreviousPage = 5106,
        IdNextPage = 5107,
        IdPageBox = 5108,
        IdBack = 5109,
        IdForward = 5110,
        IdSeparator = -1,
    };

    struct Tool {
        enum class Type { Button, Separator, PageBox, ZoomBox };
        Type type = Type::Button;
        QString Caption;
        QString Tooltip;
        bool Visible = true;
        int ID = IdSeparator;
        QIcon Icon; // when null, the preview shows iconForId(ID)
    };

    // The default toolbar: 0 contents, 1 separator, 2 print, 3 copy, 4 zoom out, 5 zoom in,
    // 6 separator, 7 zoom percent, 8 previous page, 9 next page, 10 page number box,
    // 11 separator, 12 back, 13 forward.
    ReportToolbar();

    int Count() const { return m_tools.size(); }
    Tool& Tools(int position) { return m_tools[position]; }
    const Tool& Tools(int position) const { return m_tools.at(position); }
    // Inserts a button at the position (appended past the end); returns it.
    Tool& Insert(int position, const QString& caption);
    const QList<Tool>& tools() const { return m_tools; }
    // Position of the first visible tool with that ID, or -1.
    int indexOfId(int id) const;

    // The picture of an engine tool or of a tool fnSetPreviewToolbar adds (PDF, Excel, CSV,
    // close); null for an ID without one.
    static QIcon iconForId(int id);

private:
    QList<Tool> m_tools;
};
