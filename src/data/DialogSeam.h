#pragma once

#include <QString>
#include <QStringList>

// Every modal box, file dialog and program start of the program goes through this seam, so tests
// can script the answers and nothing ever blocks on a real dialog. The data layer sits lowest, so
// the interface lives here; the Qt implementation is installed by the application at start-up.

enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };

// Answers as the Windows message box returns them.
enum MsgResult : int { MsgOk = 1, MsgCancel = 2, MsgYes = 6, MsgNo = 7 };

struct MessageRequest {
    QString title;
    QString text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int defaultButton = MsgOk; // one of MsgResult
};

struct SaveFileRequest {
    QString title;
    QString proposedName; // file name or path proposed to the user
    QString filter;       // Qt filter text, e.g. "PDFﾌｧｲﾙ (*.PDF)"; several joined by ";;"
    // With several filters: in, the one selected at first; out, the one the user chose.
    QString* selectedFilter = nullptr;
    // False when the caller asks its own question about an existing file.
    bool confirmOverwrite = true;
};

struct ProgramStart {
    QString program;     // executable path
    QStringList args;    // arguments
    QString commandLine; // the whole command line as the caller built it
};

class DialogSeam {
public:
    virtual ~DialogSeam() = default;
    // Shows a modal message box; returns one of MsgResult.
    virtual int messageBox(const MessageRequest& request) = 0;
    // Asks for a file to save to; an empty result means the user cancelled.
    virtual QString saveFileName(const SaveFileRequest& request) = 0;
    // Asks for an existing file to read (title, proposed name or folder, filter); an empty result
    // means the user cancelled. The default (no GUI) chooses nothing.
    virtual QString openFileName(const SaveFileRequest& request);
    // Starts another program detached; on failure returns false and sets *error to the platform's text.
    virtual bool startProgram(const ProgramStart& start, QString* error) = 0;
    // Leaves a text where the developer can pick it up (a failed statement); without a GUI, stderr.
    virtual void keepText(const QString& text);
};

// The installed seam. Without one, a console fallback answers with the default button.
DialogSeam& dialogs();
// Installs a seam (not owned); nullptr restores the console fallback.
void setDialogs(DialogSeam* seam);
