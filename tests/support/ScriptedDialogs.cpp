#include "ScriptedDialogs.h"

ScriptedDialogs::ScriptedDialogs() : m_previous(&dialogs()) {
    setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    setDialogs(nullptr);
}

int ScriptedDialogs::messageBox(const MessageRequest& request) {
    messages.append(request);
    return m_messageAnswers.isEmpty() ? request.defaultButton : m_messageAnswers.dequeue();
}

QString ScriptedDialogs::saveFileName(const SaveFileRequest& request) {
    saveRequests.append(request);
    saveRequests.last().selectedFilter = nullptr; // the caller's variable is gone by the time a test looks
    if (m_saveAnswers.isEmpty()) return QString();
    const auto [path, filter] = m_saveAnswers.dequeue();
    if (request.selectedFilter && !filter.isEmpty()) *request.selectedFilter = filter;
    return path;
}

QString ScriptedDialogs::openFileName(const SaveFileRequest& request) {
    openRequests.append(request);
    openRequests.last().selectedFilter = nullptr;
    return m_openAnswers.isEmpty() ? QString() : m_openAnswers.dequeue();
}

bool ScriptedDialogs::startProgram(const ProgramStart& start, QString* error) {
    starts.append(start);
    if (m_startError.isEmpty()) return true;
    if (error) *error = m_startError;
    return false;
}
