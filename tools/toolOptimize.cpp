#include "ToolCommands.h"

#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basDb.h"

#include <cstdio>

namespace {

QStringList indexNames() {
    QStringList names;
    Recordset rec;
    fnOpenRecordset(rec, gcnData->engineRules().indexNamesQuery());
    for (; !rec.Eof(); rec.MoveNext())
        names << rec.Fields(0).toString();
    return names;
}

} // namespace

// zanmo-tool optimize DIR: the indexes the program relies on added to an existing suite database;
// its tables and rows are left as they are.
int toolOptimize(const QStringList& args) {
    if (args.size() != 1) return toolFail(QStringLiteral("usage: zanmo-tool optimize DIR"));
    if (!toolOpenDatabase(args.at(0))) return 2;
    try {
        const QStringList before = indexNames();
        for (const QString& sql : Schema::indexStatements())
            gcnData->Execute(sql);
        const QStringList after = indexNames();
        int added = 0;
        for (const QString& name : after) {
            if (before.contains(name)) continue;
            std::printf("added index %s\n", name.toUtf8().constData());
            ++added;
        }
        if (added == 0) std::printf("every index is there\n");
    } catch (const DbError& e) {
        return toolFail(QStringLiteral("optimize: ") + e.description());
    }
    return 0;
}
