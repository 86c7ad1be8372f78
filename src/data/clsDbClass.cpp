#include "data/clsDbClass.h"

#include "data/ConnectionShared.h"
#include "data/DbError.h"
#include "data/DialogSeam.h"
#include "data/basSettings.h"

namespace {

// A failed query's text is left where the developer can pick it up.
void keepFailedSql(const QString& sql) {
    dialogs().keepText(sql);
}

const QString kNoConnection = QStringLiteral("接続が閉じているか無効なため、この操作は実行できません。");

} // namespace

clsDbClass::clsDbClass() {
    const quint8 mode = fnGetDbMode();
    if (mode <= 2) m_connectString = fnConnectString(mode, QLatin1String(kDataFileName));
}

clsDbClass::~clsDbClass() {
    m_connectString.clear();
}

bool clsDbClass::OpenDb() {
    m_cn = std::make_unique<Connection>();
    try {
        m_cn->Open(m_connectString);
    } catch (const DbError& e) {
        m_errMsg = e.description();
        return false;
    }
    m_errMsg.clear();
    return true;
}

void clsDbClass::CloseDb() {
    m_cn.reset();
}

bool clsDbClass::DbSql(const QString& strSql, Recordset& recRecordSet) {
    return DbSql(strSql, recRecordSet, -1);
}

bool clsDbClass::DbSql(const QString& strSql, Recordset& recRecordSet, int maxRows) {
    recRecordSet = Recordset();
    try {
        if (!m_cn || m_cn->State() != 1) throw DbError(kNoConnection, 3709);
        recRecordSet.openStatic(*m_cn, strSql, maxRows);
        m_recCnt = recRecordSet.RecordCount();
        m_errMsg.clear();
        return true;
    } catch (const DbError& e) {
        m_errMsg = e.description();
        keepFailedSql(strSql);
        return false;
    }
}

bool clsDbClass::DbSqlEdit(const QString& strSql, Recordset& recRecordSet) {
    recRecordSet = Recordset(); // releases a lock still held by the previous cursor
    try {
        if (!m_cn || m_cn->State() != 1) throw DbError(kNoConnection, 3709);
        recRecordSet.openEditable(*m_cn, strSql);
        if (recRecordSet.Eof()) recRecordSet.AddNew();
        return true;
    } catch (const DbError& e) {
        m_errMsg = e.description();
        return false;
    }
}

bool clsDbClass::DbSqlExec(const QString& strSql) {
    try {
        if (!m_cn || m_cn->State() != 1) throw DbError(kNoConnection, 3709);
        m_recCnt = m_cn->Execute(strSql);
        return true;
    } catch (const DbError& e) {
        m_errMsg = e.description();
        return false;
    }
}

QString clsDbClass::ErrMsg() const {
    return m_errMsg;
}

int clsDbClass::RecCnt() const {
    return m_recCnt;
}

void clsDbClass::BeginTns() {
    if (!m_cn) throw DbError(DbTexts::noObject(), 91);
    m_cn->BeginTrans();
}

void clsDbClass::CommitTns() {
    if (!m_cn) throw DbError(DbTexts::noObject(), 91);
    m_cn->CommitTrans();
}

void clsDbClass::RollbackTns() {
    if (!m_cn) throw DbError(DbTexts::noObject(), 91);
    m_cn->RollbackTrans();
}
