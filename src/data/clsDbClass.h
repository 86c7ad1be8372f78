#pragma once

#include "data/Connection.h"
#include "data/Recordset.h"

#include <QString>
#include <memory>

// The access class each screen owns: never raises, never shows a box; errors go to ErrMsg.
class clsDbClass {
public:
    clsDbClass();  // reads the db mode and builds the connection text
    ~clsDbClass(); // releases the connection

    bool OpenDb();
    void CloseDb();
    bool DbSql(const QString& strSql, Recordset& recRecordSet);              // static read-only list
    bool DbSql(const QString& strSql, Recordset& recRecordSet, int maxRows); // at most maxRows of it
    bool DbSqlEdit(const QString& strSql, Recordset& recRecordSet);          // pessimistic, AddNew when empty
    bool DbSqlExec(const QString& strSql);                                   // RecCnt := rows affected
    QString ErrMsg() const;
    int RecCnt() const;
    void BeginTns();
    void CommitTns();
    void RollbackTns();

    // The class's own connection (nullptr before OpenDb), e.g. to shorten its busy timeout.
    Connection* connection() const { return m_cn.get(); }

private:
    std::unique_ptr<Connection> m_cn;
    QString m_connectString;
    QString m_errMsg;
    int m_recCnt = 0;
};
