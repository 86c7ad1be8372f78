#pragma once

#include "popups/LookupModel.h"

#include <QTreeView>

// A lookup list in report view named "ListView", over its own LookupModel: whole rows, one at a
// time, not editable, headers clickable, rows of one height (only the rows on the screen are laid
// out and painted).
class LookupView : public QTreeView {
    Q_OBJECT
public:
    LookupView(QWidget* parent, int tabIndex);

    LookupModel* rows() const { return m_model; }
    int rowCount() const { return m_model->rowCount(); }
    QString text(int row, int column) const { return m_model->text(row, column); }
    // The current row, -1 when there is none.
    int currentRow() const;
    // The current row when it is also selected (the row Enter or a double-click chooses), else -1.
    int chosenRow() const;
    // Makes the row current and selected and scrolls it into view.
    void setCurrentRow(int row);
    void scrollToCurrent();
    // A header click's order: ascending on the column, the current row kept in view.
    void sortOn(int column, bool showIndicator);

private:
    LookupModel* m_model;
};
