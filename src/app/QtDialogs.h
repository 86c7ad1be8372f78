#pragma once

#include "data/DialogSeam.h"

// The dialog seam on real Qt widgets: message boxes, the save-file dialog, detached program starts.
class QtDialogs final : public DialogSeam {
public:
    int messageBox(const MessageRequest& request) override;
    QString saveFileName(const SaveFileRequest& request) override;
    QString openFileName(const SaveFileRequest& request) override;
    bool startProgram(const ProgramStart& start, QString* error) override;
    // On the clipboard.
    void keepText(const QString& text) override;
};

// Installs one application-wide QtDialogs as the seam.
void installQtDialogs();
