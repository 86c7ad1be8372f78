#include "reports/ReportToolbar.h"

namespace {

ReportToolbar::Tool tool(ReportToolbar::Tool::Type type, const QString& caption, int id,
                         bool visible = true) {
    ReportToolbar::Tool t;
    t.type = type;
    t.Caption = caption;
    t.Tooltip = caption;
    t.ID = id;
    t.Visible = visible;
    return t;
}

} // namespace

ReportToolbar::ReportToolbar() {
    using T = Tool::Type;
    m_tools = {
        tool(T::Button, QStringLiteral("目次"), IdContents, false),
        tool(T::Separator, QString(), IdSeparator),
        tool(T::Button, QStringLiteral("印刷"), IdPrint),
        tool(T::Button, QStringLiteral("ｺﾋﾟｰ"), IdCopy),
        tool(T::Button, QStringLiteral("縮小"), IdZoomOut),
        tool(T::Button, QStringLiteral("拡大"), IdZoomIn),
        tool(T::Separator, QString(), IdSeparator),
        tool(T::ZoomBox, QString(), IdZoomBox),
        tool(T::Button, QStringLiteral("前のﾍﾟｰｼﾞ"), IdPreviousPage),
        tool(T::Button, QStringLiteral("次のﾍﾟｰｼﾞ"), IdNextPage),
        tool(T::PageBox, QString(), IdPageBox),
        tool(T::Separator, QString(), IdSeparator),
        tool(T::Button, QStringLiteral("戻る"), IdBack),
        tool(T::Button, QStringLiteral("進む"), IdForward),
    };
}

ReportToolbar::Tool& ReportToolbar::Insert(int position, const QString& caption) {
    Tool t;
    t.type = Tool::Type::Button;
    t.Caption = caption;
    t.ID = IdSeparator;
    position = qBound(0, position, int(m_tools.size()));
    m_tools.insert(position, t);
    return m_tools[position];
}

int ReportToolbar::indexOfId(int id) const {
    for (int i = 0; i < m_tools.size(); ++i)
        if (m_tools.at(i).Visible && m_tools.at(i).ID == id) return i;
    return -1;
}
