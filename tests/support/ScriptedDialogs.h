#pragma once

#include "data/DialogSeam.h"

#include <QList>
#include <QPair>
#include <QQueue>

// Records every box, file dialog and program start, and answers as the test scripted.
// An unscripted message box answers with its default button; an unscripted save dialog cancels.
// Installs itself on construction and restores the previous seam on destruction.
class ScriptedDialogs final : public DialogSeam {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void answerMessage(int result) { m_messageAnswers.enqueue(result); }
    // The save dialog's answer; with a filter, also the filter chosen (where the caller asks for one).
    void answerSaveFile(const QString& path, const QString& filter = QString()) {
        m_saveAnswers.enqueue({path, filter});
    }
    // The open dialog's answer (an unscripted one cancels).
    void answerOpenFile(const QString& path) { m_openAnswers.enqueue(path); }
    // Program starts succeed unless told otherwise; a failure reports this error text.
    void failProgramStart(const QString& error) { m_startError = error; }

    QList<MessageRequest> messages;
    QList<SaveFileRequest> saveRequests;
    QList<SaveFileRequest> openRequests;
    QList<ProgramStart> starts;

    int messageBox(const MessageRequest& request) override;
    QString saveFileName(const SaveFileRequest& request) override;
    QString openFileName(const SaveFileRequest& request) override;
    bool startProgram(const ProgramStart& start, QString* error) override;

    const MessageRequest& lastMessage() const { return messages.last(); }
    void clear() {
        messages.clear();
        saveRequests.clear();
        starts.clear();
    }

private:
    QQueue<int> m_messageAnswers;
    QQueue<QPair<QString, QString>> m_saveAnswers;
    QQueue<QString> m_openAnswers;
    QString m_startError;
    DialogSeam* m_previous;
};
