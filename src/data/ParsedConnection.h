#pragma once

#include <QString>

class DbEngine;

// The parts of a connection text, as the engine that takes its provider needs them.
struct ParsedConnection {
    QString provider;
    const DbEngine* engine = nullptr;
    QString dataSource;
    bool hasPassword = false;
    QString password;
    QString host, port, database, user;
};
