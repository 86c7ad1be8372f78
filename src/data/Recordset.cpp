#include "data/Recordset.h"

#include "data/Connection.h"
#include "data/ConnectionShared.h"
#include "data/DbEngine.h"
#include "data/DbError.h"
#include "data/SqlDialect.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

namespace {

const QString kAddressAlias = QStringLiteral("zanmo_address_");

// ADO type numbers of the declared SQLite column types.
int adoTypeOfDeclared(const QString& declared) {
    const QString t = declared.toUpper();
    // PostgreSQL's own names first.
    if (t == u"INT2") return 2;
    if (t == u"INT8") return 20;
    if (t == u"FLOAT4") return 4;
    if (t == u"FLOAT8") return 5;
    if (t == u"CITEXT" || t == u"TEXT" || t == u"VARCHAR") return 202;
    if (t.contains(u"TINYINT") || t.contains(u"BYTE")) return 17;
    if (t.contains(u"SMALLINT") || t.contains(u"SHORT")) return 2;
    if (t.contains(u"BIGINT")) return 20;
    if (t.contains(u"INT") || t.contains(u"LONG") || t.contains(u"COUNTER")) return 3;
    if (t.contains(u"SINGLE")) return 4;
    if (t.contains(u"REAL") || t.contains(u"DOUBLE") || t.contains(u"FLOAT")) return 5;
    if (t.contains(u"CURRENCY") || t.contains(u"MONEY")) return 6;
    if (t.contains(u"DECIMAL") || t.contains(u"NUMERIC")) return 131;
    if (t.contains(u"BOOL") || t.contains(u"BIT") || t.contains(u"YESNO")) return 11;
    if (t.contains(u"DATE") || t.contains(u"TIME")) return 7;
    if (t.contains(u"BLOB") || t.contains(u"BINARY")) return 205;
    if (t.isEmpty()) return 12; // variant
    return 202;
}

// The condition of an editable cursor's statement, as one key: what follows "where" up to an
// "order by", lower case, blanks collapsed.
QString editCondition(const QString& sql) {
    static const QRegularExpression where(QStringLiteral("\\bwhere\\b(.*?)(\\border\\s+by\\b.*)?$"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const auto m = where.match(sql);
    return m.hasMatch() ? m.captured(1).simplified().toLower() : QString();
}

// The table an editable cursor's statement reads: capture 1, a second table or a join in capture 4.
QRegularExpressionMatch matchEditTable(const QString& text) {
    static const QRegularExpression fromTable(
        QStringLiteral("\\bfrom\\s+([A-Za-z_][A-Za-z0-9_]*)(\\s+(as\\s+)?(?!where\\b|order\\b|group\\b|"
                       "join\\b|inner\\b|left\\b|cross\\b|natural\\b)[A-Za-z_]\\w*)?"
                       "\\s*(,|\\bjoin\\b|\\binner\\b|\\bleft\\b)?"),
        QRegularExpression::CaseInsensitiveOption);
    return fromTable.match(text);
}

int adoTypeOfField(const QSqlField& f) {
    switch (f.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return 3;
    case QMetaType::Double:
        return 5;
    case QMetaType::Bool:
        return 11;
    case QMetaType::QByteArray:
        return 205;
    default:
        return 202;
    }
}

bool isNumericType(int t) {
    return t == 2 || t == 3 || t == 4 || t == 5 || t == 6 || t == 11 || t == 17 || t == 20 || t == 131;
}
bool isIntegerType(int t) {
    return t == 2 || t == 3 || t == 11 || t == 17 || t == 20;
}

bool isArithmetic(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

// A value as the column will take it. A numeric column takes a finite number or a text in plain
// decimal notation, never Null: QString::toDouble would also read "inf", "nan", "1e9" and more, and
// the suite's other programs read these columns as numbers.
QVariant convertForColumn(const QVariant& value, int type) {
    if (!isNumericType(type)) {
        if (value.isNull()) return value;
        return type == 202 && value.metaType().id() != QMetaType::QString ? QVariant(value.toString())
                                                                          : value;
    }
    double number = 0;
    bool ok = false;
    if (value.isNull()) {
        // refused, typed or not: a field read back as Null is no number either
    } else if (value.metaType().id() == QMetaType::QString ||
               value.metaType().id() == QMetaType::QByteArray) {
        const QString text = value.toString().trimmed();
        if (fnIsPlainNumber(text)) number = text.toDouble(&ok);
    } else if (isArithmetic(value)) {
        number = value.toDouble(&ok);
    }
    if (!ok || !std::isfinite(number)) throw DbError(DbTexts::typeMismatch(), -2147217887);
    if (!isIntegerType(type)) return QVariant(number);
    const double rounded = std::nearbyint(number); // halves to even, as Jet stores them
    double lo = -2147483648.0, hi = 2147483647.0;
    if (type == 17)
        lo = 0, hi = 255;
    else if (type == 2)
        lo = -32768, hi = 32767;
    else if (type == 11)
        lo = -1, hi = 1;
    else if (type == 20)
        lo = -9.2e18, hi = 9.2e18;
    if (rounded < lo || rounded > hi) throw DbError(QStringLiteral("オーバーフローしました。"), 6);
    return QVariant(static_cast<qlonglong>(rounded));
}

} // namespace

struct Recordset::Impl {
    bool open = false;
    bool stopped = false; // the step of a long read said to stop
    bool editable = false;
    QStringList names;
    QVector<int> types;
    QVector<QVector<QVariant>> rows;
    QVector<QVariant> addresses; // of each row (DbEngine::rowAddress)
    int pos = 0;

    // Editable cursor.
    std::weak_ptr<ConnectionShared> shared;
    const DbEngine* rules = &DbEngine::byDefault();
    QString table;
    QStringList tableColumns; // lower case
    bool holdsLock = false;
    int lockSession = 0; // the connection's opening the lock was taken in
    QString savepoint;   // empty when the lock is our own transaction
    QString lockKey;     // the table and condition of the cursor, on an engine that locks keys
    bool adding = false;
    int editMode = adEditNone;
    QHash<int, QVariant> pending;

    ~Impl() {
        try {
            releaseLock(false);
        } catch (const DbError&) {
            // a rollback that cannot reach the server: the server undoes the transaction itself
        }
    }

    QSqlDatabase db() const {
        const auto sp = shared.lock();
        return sp ? sp->db() : QSqlDatabase();
    }

    std::shared_ptr<ConnectionShared> connection() const {
        const auto sp = shared.lock();
        if (!sp) throw DbError(DbTexts::closedObject(), 3704);
        return sp;
    }

    void acquireLock() {
        const auto sp = connection();
        if (holdsLock && lockSession == sp->session) return;
        holdsLock = false;
        if (sp->inTrans || sp->editLock) {
            const QString name = QStringLiteral("zanmo_edit_%1").arg(++sp->savepointSeq);
            sp->run([&](QSqlQuery& q) { return q.exec(QStringLiteral("SAVEPOINT ") + name); });
            savepoint = name;
        } else {
            sp->run([&](QSqlQuery& q) { return q.exec(rules->beginEditStatement()); });
            savepoint.clear();
            sp->editLock = true;
        }
        holdsLock = true;
        lockSession = sp->session;
        if (!lockKey.isEmpty()) lockRowKey(*sp);
    }

    // The statement's table and condition, locked as a key until the transaction ends.
    void lockRowKey(ConnectionShared& sp) {
        try {
            sp.run([&](QSqlQuery& q) {
                if (!q.prepare(rules->keyLockStatement())) return false;
                q.addBindValue(lockKey);
                return q.exec();
            });
        } catch (const DbError&) {
            releaseLock(false);
            throw;
        }
    }

    // Commits or rolls back what this cursor holds. A failed commit is rolled back and reported;
    // a lost connection took the lock (and its transaction) with it.
    void releaseLock(bool commit) {
        if (!holdsLock) return;
        holdsLock = false;
        const auto sp = shared.lock();
        if (!sp || lockSession != sp->session) {
            if (commit)
                throw DbError(DbEngine::connectionLostText(sp ? sp->where : QString(), QString()),
                              DbError::kConnectionLost);
            return;
        }
        // A rollback that fails has nothing left to undo (the connection, and the transaction, went).
        const auto quietly = [&](const QString& sql) {
            try {
                sp->run([&](QSqlQuery& q) { return q.exec(sql); });
            } catch (const DbError&) {
            }
        };
        if (!savepoint.isEmpty()) {
            const QString name = savepoint;
            savepoint.clear();
            if (commit) {
                sp->run([&](QSqlQuery& q) { return q.exec(QStringLiteral("RELEASE ") + name); });
            } else {
                quietly(QStringLiteral("ROLLBACK TO ") + name);
                quietly(QStringLiteral("RELEASE ") + name);
            }
            return;
        }
        // The transaction stays marked while its end runs: a connection found dead meanwhile is
        // then told as lost, never opened again to run COMMIT on its own.
        if (commit) {
            try {
                sp->run([&](QSqlQuery& q) { return q.exec(QStringLiteral("COMMIT")); });
            } catch (const DbError&) {
                if (sp->session == lockSession) quietly(QStringLiteral("ROLLBACK"));
                sp->editLock = false;
                throw;
            }
        } else {
            quietly(QStringLiteral("ROLLBACK"));
        }
        sp->editLock = false;
    }

    int indexOf(const QString& name) const {
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(name, Qt::CaseInsensitive) == 0) return i;
        // Unnamed aggregates are read as Expr1000, Expr1001, ... by their position.
        static const QRegularExpression expr(QStringLiteral("^expr(\\d{4,6})$"),
                                             QRegularExpression::CaseInsensitiveOption);
        const auto m = expr.match(name);
        if (m.hasMatch()) {
            const int n = m.captured(1).toInt() - 1000;
            if (n >= 0 && n < names.size()) return n;
        }
        return -1;
    }

    // After a commit whose answer was lost: true when the row written stands at its new address
    // exactly as the write returned it (the transaction committed). The connection is open again.
    bool committedAfterAll(const QString& table, const QString& byAddress, const QVariant& address,
                           const QVector<QVariant>& written) {
        if (written.isEmpty() || !address.isValid()) return false;
        const auto sp = shared.lock();
        if (!sp) return false;
        bool same = false;
        try {
            sp->run(
                [&](QSqlQuery& q) {
                    same = false;
                    if (!q.prepare(QStringLiteral("SELECT * FROM ") + table + byAddress)) return false;
                    q.addBindValue(address);
                    if (!q.exec()) return false;
                    if (!q.next()) return true; // not there: the transaction was undone
                    const QSqlRecord r = q.record();
                    same = true;
                    for (int i = 0; i < names.size() && same; ++i) {
                        const int k = r.indexOf(names[i].toLower());
                        const QVariant now = k < 0 || q.isNull(k) ? QVariant() : q.value(k);
                        same = now.isNull() == written[i].isNull() && now.toString() == written[i].toString();
                    }
                    return true;
                },
                true);
        } catch (const DbError&) {
            return false;
        }
        return same;
    }

    // False when fetching the rows failed (the connection went while they came).
    bool load(QSqlQuery& q, int firstColumn, int maxRows = -1,
              const std::function<bool(int rows)>& step = {}) {
        const QSqlRecord rec = q.record();
        for (int i = firstColumn; i < rec.count(); ++i) {
            names.append(rec.fieldName(i));
            types.append(adoTypeOfField(rec.field(i)));
        }
        const int n = rec.count();
        while ((maxRows < 0 || rows.size() < maxRows) && q.next()) {
            QVector<QVariant> row(n - firstColumn);
            // A Null reads as no value on either engine (PostgreSQL's driver gives a typed 0).
            for (int i = firstColumn; i < n; ++i)
                row[i - firstColumn] = q.isNull(i) ? QVariant() : q.value(i);
            if (firstColumn > 0) addresses.append(q.value(0));
            rows.append(std::move(row));
            if (step && rows.size() % 500 == 0 && !step(int(rows.size()))) {
                stopped = true;
                break;
            }
        }
        open = true;
        pos = 0;
        return !q.lastError().isValid();
    }

    bool onRow() const { return adding || (pos >= 0 && pos < rows.size()); }
};

Recordset::Recordset() : d(std::make_unique<Impl>()) {}
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&& other) noexcept : d(std::move(other.d)) {
    other.d = std::make_unique<Impl>();
}
Recordset& Recordset::operator=(Recordset&& other) noexcept {
    if (this != &other) {
        d = std::move(other.d); // the old cursor's destructor rolls back what it held
        other.d = std::make_unique<Impl>();
    }
    return *this;
}

void Recordset::openStatic(Connection& cn, const QString& sql) {
    openStatic(cn, sql, -1);
}

namespace {
// A statement that only reads may be run once more on a connection opened again.
bool onlyReads(const QString& sql) {
    return sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive);
}
} // namespace

void Recordset::openStatic(Connection& cn, const QString& sql, int maxRows) {
    openStatic(cn, sql, maxRows, {});
}

void Recordset::openStatic(Connection& cn, const QString& sql, const std::function<bool(int rows)>& step) {
    openStatic(cn, sql, -1, step);
}

void Recordset::openStatic(Connection& cn, const QString& sql, int maxRows,
                           const std::function<bool(int rows)>& step) {
    Close();
    if (cn.State() != adStateOpen) throw DbError(DbTexts::closedObject(), 3704);
    const QString text = cn.dialect(sql);
    cn.m_shared->run(
        [&](QSqlQuery& q) {
            d = std::make_unique<Impl>();
            q.setForwardOnly(true);
            if (!q.exec(text)) return false;
            return !q.isSelect() || d->load(q, 0, maxRows, step);
        },
        onlyReads(text));
}

bool Recordset::stopped() const {
    return d->stopped;
}

void Recordset::openExecute(Connection& cn, const QString& sql, int* rowsAffected) {
    Close();
    if (cn.State() != adStateOpen) throw DbError(DbTexts::closedObject(), 3704);
    const QString text = cn.dialect(sql);
    const auto step = [&](QSqlQuery& q) {
        d = std::make_unique<Impl>();
        q.setForwardOnly(true);
        if (!q.exec(text)) return false;
        if (q.isSelect()) {
            if (rowsAffected) *rowsAffected = -1;
            return d->load(q, 0);
        }
        if (rowsAffected) *rowsAffected = q.numRowsAffected();
        return true;
    };
    if (onlyReads(text))
        cn.m_shared->run(step, true);
    else
        cn.m_shared->runChange(text, step);
}

void Recordset::openEditable(Connection& cn, const QString& sql) {
    Close();
    if (cn.State() != adStateOpen) throw DbError(DbTexts::closedObject(), 3704);
    const QString text = cn.dialect(sql);
    // One table's rows only: the row's address says which row Update writes.
    static const QRegularExpression selectHead(QStringLiteral("^\\s*select\\s+(?!distinct\\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    const auto head = selectHead.match(text);
    const auto from = matchEditTable(text);
    if (!head.hasMatch() || !from.hasMatch() || !from.captured(4).isEmpty())
        throw DbError(DbTexts::notUpdatable(), 3251);
    const DbEngine& rules = cn.engineRules();
    const QString rewritten = QStringLiteral("select ") + rules.rowAddress() + QStringLiteral(" as ") +
                              kAddressAlias + QStringLiteral(", ") + text.mid(head.capturedEnd()) +
                              rules.rowLockClause();

    d->editable = true;
    d->shared = cn.m_shared;
    d->rules = &rules;
    d->table = rules.foldedName(from.captured(1));
    if (!rules.keyLockStatement().isEmpty()) d->lockKey = d->table + u'|' + editCondition(text);
    d->acquireLock();
    ConnectionShared& sp = *cn.m_shared;
    QHash<QString, int> declared;
    try {
        sp.run([&](QSqlQuery& info) {
            d->tableColumns.clear();
            declared.clear();
            if (!info.prepare(rules.columnsQuery())) return true; // the declared types are a refinement
            info.addBindValue(d->table);
            if (!info.exec()) return true;
            while (info.next()) {
                const QString col = info.value(0).toString().toLower();
                d->tableColumns.append(col);
                declared.insert(col, adoTypeOfDeclared(info.value(1).toString()));
            }
            return true;
        });
        sp.run([&](QSqlQuery& q) {
            q.setForwardOnly(true);
            return q.exec(rewritten) && d->load(q, 1);
        });
    } catch (const DbError&) {
        d->releaseLock(false);
        d = std::make_unique<Impl>();
        throw;
    }
    for (int i = 0; i < d->names.size(); ++i) {
        const auto it = declared.constFind(d->names[i].toLower());
        if (it != declared.constEnd()) d->types[i] = *it;
    }
}

void Recordset::lockEditKeys(Connection& cn, const QStringList& sqls) {
    if (cn.State() != adStateOpen) throw DbError(DbTexts::closedObject(), 3704);
    const DbEngine& rules = cn.engineRules();
    if (rules.keyLockStatement().isEmpty() || sqls.isEmpty()) return;
    QSqlDatabase db = cn.database();
    // Inside a savepoint, so that a failure leaves the transaction usable for the statement's own
    // clean-up; the caller then rolls it back.
    QSqlQuery mark(db);
    if (!mark.exec(QStringLiteral("SAVEPOINT zanmo_keys")))
        throw DbError(fnProviderErrorText(mark.lastError()));
    QSqlError failure;
    bool refused = false;
    {
        QSqlQuery q(db);
        if (q.prepare(rules.keyLockStatement())) {
            for (const QString& sql : sqls) {
                const QString text = cn.dialect(sql);
                const auto from = matchEditTable(text);
                if (!from.hasMatch()) {
                    refused = true;
                    break;
                }
                // The key as openEditable makes it.
                q.addBindValue(rules.foldedName(from.captured(1)) + u'|' + editCondition(text));
                if (!q.exec()) {
                    failure = q.lastError();
                    break;
                }
            }
        } else {
            failure = q.lastError();
        }
        if (failure.isValid() || refused) mark.exec(QStringLiteral("ROLLBACK TO zanmo_keys"));
    }
    mark.exec(QStringLiteral("RELEASE zanmo_keys"));
    if (refused) throw DbError(DbTexts::notUpdatable(), 3251);
    if (failure.isValid()) throw DbError(fnProviderErrorText(failure));
}

int Recordset::State() const {
    return d && d->open ? adStateOpen : adStateClosed;
}

bool Recordset::Eof() const {
    if (!d || !d->open) return true;
    return !d->adding && d->pos >= d->rows.size();
}

bool Recordset::Bof() const {
    if (!d || !d->open) return true;
    return !d->adding && d->rows.isEmpty();
}

int Recordset::RecordCount() const {
    if (!d || !d->open) return 0;
    return d->rows.size() + (d->adding ? 1 : 0);
}

int Recordset::EditMode() const {
    return d ? d->editMode : adEditNone;
}

void Recordset::MoveNext() {
    if (!d->open) throw DbError(DbTexts::closedObject(), 3704);
    if (d->adding || !d->pending.isEmpty()) Update(); // leaving a changed row saves it
    if (d->pos >= d->rows.size()) throw DbError(DbTexts::noCurrentRecord(), 3021);
    ++d->pos;
}

void Recordset::MoveFirst() {
    if (!d->open) throw DbError(DbTexts::closedObject(), 3704);
    if (d->adding || !d->pending.isEmpty()) Update();
    d->pos = 0;
}

int Recordset::fieldCount() const {
    return d && d->open ? d->names.size() : 0;
}

QStringList Recordset::fieldNames() const {
    return d ? d->names : QStringList();
}

bool Recordset::hasField(const QString& name) const {
    return d && d->indexOf(name) >= 0;
}

QVariant Recordset::Fields(const QString& name) const {
    if (!d->open) throw DbError(DbTexts::closedObject(), 3704);
    const int i = d->indexOf(name);
    if (i < 0) throw DbError(DbTexts::noSuchField(), 3265);
    return Fields(i);
}

QVariant Recordset::Fields(int index) const {
    if (!d->open) throw DbError(DbTexts::closedObject(), 3704);
    if (index < 0 || index >= d->names.size()) throw DbError(DbTexts::noSuchField(), 3265);
    if (!d->onRow()) throw DbError(DbTexts::noCurrentRecord(), 3021);
    const auto it = d->pending.constFind(index);
    if (it != d->pending.constEnd()) return *it;
    if (d->adding) return QVariant();
    return d->rows[d->pos][index];
}

int Recordset::fieldType(const QString& name) const {
    if (!d->open) throw DbError(DbTexts::closedObject(), 3704);
    const int i = d->indexOf(name);
    if (i < 0) throw DbError(DbTexts::noSuchField(), 3265);
    return d->types[i];
}

void Recordset::AddNew() {
    if (!d->open || !d->editable) throw DbError(DbTexts::notUpdatable(), 3251);
    if (d->adding || !d->pending.isEmpty()) Update();
    d->acquireLock();
    d->adding = true;
    d->pending.clear();
    d->editMode = adEditAdd;
}

void Recordset::setField(const QString& name, const QVariant& value) {
    if (!d->open || !d->editable) throw DbError(DbTexts::notUpdatable(), 3251);
    const int i = d->indexOf(name);
    if (i < 0 || !d->tableColumns.contains(d->names[i].toLower()))
        throw DbError(DbTexts::noSuchField(), 3265);
    if (!d->onRow()) throw DbError(DbTexts::noCurrentRecord(), 3021);
    const QVariant stored = convertForColumn(value, d->types[i]);
    d->acquireLock();
    d->pending.insert(i, stored);
    if (!d->adding) d->editMode = adEditInProgress;
}

void Recordset::Update() {
    if (!d->open || !d->editable) throw DbError(DbTexts::notUpdatable(), 3251);
    if (!d->adding && d->pending.isEmpty()) {
        d->releaseLock(true);
        return;
    }
    if (!d->adding && (d->pos < 0 || d->pos >= d->rows.size()))
        throw DbError(DbTexts::noCurrentRecord(), 3021);
    d->acquireLock();
    const auto sp = d->connection();
    QList<int> cols = d->pending.keys();
    std::sort(cols.begin(), cols.end());
    const QString table = QLatin1Char('"') + d->table + QLatin1Char('"');
    const DbEngine& rules = *d->rules;
    const QString byAddress = QStringLiteral(" WHERE ") + rules.rowAddress() + QStringLiteral("=?");
    QString sql;
    if (d->adding) {
        if (cols.isEmpty()) {
            sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES");
        } else {
            QStringList names, marks;
            for (int c : cols) {
                names << QLatin1Char('"') + d->names[c] + QLatin1Char('"');
                marks << QStringLiteral("?");
            }
            sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + names.join(u',') +
                  QStringLiteral(") VALUES (") + marks.join(u',') + QLatin1Char(')');
        }
    } else {
        QStringList sets;
        for (int c : cols)
            sets << QLatin1Char('"') + d->names[c] + QStringLiteral("\"=?");
        sql = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + sets.join(u',') + byAddress;
    }
    // Where a changed row moves, its new address (and an added row whole) comes back.
    const QString returning = rules.returningClause(kAddressAlias);
    sql += returning;
    int affected = 0;
    QVariant newAddress;
    QVector<QVariant> returned;
    try {
        sp->run([&](QSqlQuery& q) {
            if (!q.prepare(sql)) return false;
            for (int c : cols)
                q.addBindValue(d->pending.value(c));
            if (!d->adding) q.addBindValue(d->addresses[d->pos]);
            if (!q.exec()) return false;
            affected = q.numRowsAffected();
            newAddress = d->adding && returning.isEmpty() ? q.lastInsertId() : QVariant();
            if (!returning.isEmpty() && q.next()) {
                newAddress = q.value(0);
                const QSqlRecord r = q.record();
                for (int i = 0; i < d->names.size(); ++i) {
                    const int k = r.indexOf(d->names[i].toLower());
                    returned.append(k <= 0 ? d->pending.value(i) : q.isNull(k) ? QVariant() : q.value(k));
                }
            }
            return true;
        });
    } catch (const DbError&) {
        d->releaseLock(false); // nothing half-written stays, and the lock goes
        throw;
    }
    if (!d->adding && affected == 0) {
        // The row was deleted (or, on the server, changed) by another since this cursor let go
        // of its lock: saying it was saved would lose what the user typed.
        d->releaseLock(false);
        d->pending.clear();
        d->editMode = adEditNone;
        throw DbError(QStringLiteral("更新または削除する行が見つかりません。最後の読み取り以降に一部の値が"
                                     "変更された可能性があります。"),
                      -2147217864);
    }
    try {
        d->releaseLock(true); // throws after rolling back when the commit fails
    } catch (const DbError& e) {
        // The connection went while the commit was on its way: whether it took effect is read
        // back on the connection opened again, never guessed, and the save is never sent twice.
        if (e.number() != DbError::kConnectionLost ||
            !d->committedAfterAll(table, byAddress, newAddress, returned))
            throw DbError(e.number() == DbError::kServerAway ? DbEngine::commitUnknownText(sp->where)
                                                             : e.description(),
                          e.number());
    }

    if (!d->adding && !returning.isEmpty()) d->addresses[d->pos] = newAddress;
    if (d->adding) {
        QVector<QVariant> row(d->names.size());
        if (!returning.isEmpty() && !returned.isEmpty()) {
            row = returned;
        } else {
            for (int i = 0; i < d->names.size(); ++i)
                row[i] = d->pending.value(i);
            if (returning.isEmpty()) {
                // Defaults the engine filled in, read back by the new row's address.
                sp->run(
                    [&](QSqlQuery& back) {
                        if (!back.prepare(QStringLiteral("SELECT * FROM ") + table + byAddress)) return true;
                        back.addBindValue(newAddress);
                        if (!back.exec() || !back.next()) return true;
                        const QSqlRecord r = back.record();
                        for (int i = 0; i < d->names.size(); ++i) {
                            const int k = r.indexOf(d->names[i]);
                            if (k >= 0) row[i] = back.value(k);
                        }
                        return true;
                    },
                    true);
            }
        }
        d->rows.append(row);
        d->addresses.append(newAddress);
        d->pos = d->rows.size() - 1;
        d->adding = false;
    } else {
        for (int c : cols)
            d->rows[d->pos][c] = d->pending.value(c);
    }
    d->pending.clear();
    d->editMode = adEditNone;
}

void Recordset::CancelUpdate() {
    if (!d) return;
    d->pending.clear();
    d->adding = false;
    d->editMode = adEditNone;
    d->releaseLock(false);
}

void Recordset::Close() {
    d = std::make_unique<Impl>(); // the old cursor's destructor rolls back what it held
}
