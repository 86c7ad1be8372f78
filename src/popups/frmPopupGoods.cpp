#include "popups/frmPopupGoods.h"

#include "app/basMessage.h"
#include "core/basFormat.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/Recordset.h"
#include "data/SqlDialect.h"
#include "popups/LookupView.h"
#include "popups/clsPopup.h"
#include "ui/BusyGuard.h"
#include "ui/basInput.h"
#include "ui/basTextNormalize.h"
#include "ui/basToolbar.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <climits>

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kCodeLength = 12;
constexpr int kBunruiLength = 2;
constexpr int kMaxWords = 10;
const QString kMaskBunrui = QStringLiteral("1111-0100-0001");
const QString kMaskFields = QStringLiteral("1000-0100-0001");
const QColor kStopColor(255, 0, 0);

struct Column {
    const char16_t* header;
    int twips;
    bool right;
};
const Column kColumns[] = {
    {u"コード", 1600, false}, {u"フリガナ", 2100, false}, {u"名称", 5000, false}, {u"単価１", 1400, true},
    {u"単価２", 1400, true},  {u"単価３", 1400, true},    {u"単位", 1400, false}, {u"分類", 1400, false},
    {u"区分", 700, false},    {u"税", 700, false},        {u"在庫", 700, false},  {u"中止", 700, false},
};

QString fieldText(const Recordset& rec, const QString& name) {
    const QVariant v = rec.Fields(name);
    return v.isNull() ? QString() : v.toString();
}

// A flag column as its label; other values (and Null) show nothing.
QString kindText(const QVariant& v, const QStringList& labels) {
    if (v.isNull() || v.toString().trimmed().isEmpty()) return QString();
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok && n >= 0 && n < labels.size() ? labels.at(n) : QString();
}

// The category field as it goes into a statement: always a number, whatever was typed or pasted.
QString categoryNumber(const QString& typed) {
    return QString::number(fnRoundEven(fnVal(typed)));
}

bool digitsOnly(const QString& text) {
    if (text.isEmpty()) return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// A code already as fnPadLeft makes it: 12 characters, blanks only before the code, none after.
bool isPadded(const QVariant& v) {
    if (v.typeId() != QMetaType::QString) return false;
    const QString& s = *static_cast<const QString*>(v.constData());
    if (s.size() != kCodeLength || s.back().isSpace()) return false;
    for (const QChar c : s)
        if (c != u' ') return !c.isSpace();
    return false;
}

// Typed search text for a LIKE pattern: "-" dropped, trimmed, apostrophes doubled.
QString likeText(const QString& typed) {
    return fnSqlLike(QString(typed).remove(u'-').trimmed());
}

} // namespace

frmPopupGoods::frmPopupGoods(QWidget* parent) : FormBase(FormKind::Popup, parent) {
    setObjectName(QStringLiteral("frmPopupGoods"));
    m_db.OpenDb();
    setWindowIcon(fnProgramIcon());
    // Up and Down belong to the list.
    setArrowsMove(false);
    setWindowTitle(QStringLiteral("商品一覧"));
    m_baseCaption = windowTitle();

    // Search conditions.
    auto* fraFind = new QGroupBox(QStringLiteral("検索条件"), body());
    fraFind->setObjectName(QStringLiteral("fraFind"));
    auto* grid = new QGridLayout(fraFind);
    grid->setHorizontalSpacing(8);

    txtBunrui = newTextBox(fraFind, QStringLiteral("txtBunrui"), 0, QStringLiteral("6"), kBunruiLength);
    txtBunrui->setToolTip(QStringLiteral("商品分類を指定します。"));
    txtBunrui->setFixedWidth(txtBunrui->fontMetrics().horizontalAdvance(u'0') * 4 + 12);
    lblBunruiName = new QLabel(fraFind);
    lblBunruiName->setObjectName(QStringLiteral("lblBunruiName"));
    lblBunruiName->setFrameShape(QFrame::StyledPanel);
    lblBunruiName->setFrameShadow(QFrame::Sunken);
    lblBunruiName->setMinimumWidth(180);

    txtCode = newTextBox(fraFind, QStringLiteral("txtCode"), 1, QStringLiteral("4"), kCodeLength);
    txtCode->setToolTip(QStringLiteral("商品コードで検索します"));
    txtCode->setFixedWidth(txtCode->fontMetrics().horizontalAdvance(u'0') * 14 + 12);

    txtKana = newTextBox(fraFind, QStringLiteral("txtKana"), 2, QString(), 0);
    txtKana->setToolTip(QStringLiteral("カナで検索します"));
    txtname = newTextBox(fraFind, QStringLiteral("txtname"), 3, QString(), 0);
    txtname->setToolTip(QStringLiteral("名称で検索します"));

    chkStop = new QCheckBox(QStringLiteral("中止商品も検索対象"), fraFind);
    chkStop->setObjectName(QStringLiteral("chkStop"));
    chkStop->setToolTip(QStringLiteral("中止商品も検索対象とする場合チェックします"));
    setTabIndex(chkStop, 4);
    setTabStop(chkStop, true);

    cmdFind = new QPushButton(QStringLiteral("検索"), fraFind);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setAutoDefault(false);
    cmdFind->setDefault(false);
    cmdFind->setMinimumWidth(90);
    setTabIndex(cmdFind, 5);
    setTabStop(cmdFind, true);

    auto label = [fraFind](const char16_t* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf16(text), fraFind);
        l->setBuddy(buddy);
        return l;
    };
    auto* bunruiRow = new QHBoxLayout;
    bunruiRow->addWidget(txtBunrui);
    bunruiRow->addWidget(lblBunruiName, 1);
    grid->addWidget(label(u"商品分類", txtBunrui), 0, 0);
    grid->addLayout(bunruiRow, 0, 1);
    grid->addWidget(label(u"商品コード", txtCode), 0, 2);
    grid->addWidget(txtCode, 0, 3, Qt::AlignLeft);
    grid->addWidget(label(u"カナ", txtKana), 1, 0);
    grid->addWidget(txtKana, 1, 1);
    grid->addWidget(label(u"名称", txtname), 1, 2);
    grid->addWidget(txtname, 1, 3);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(chkStop);
    buttonRow->addStretch(1);
    buttonRow->addWidget(cmdFind);
    grid->addLayout(buttonRow, 2, 0, 1, 4);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 3);

    // The list: the rows as fetched, each cell made when it is shown. A header click orders them as
    // the database orders codes and names ("a5" and "A5" side by side).
    ListView = new LookupView(body(), 6);
    setTabStop(ListView, true);
    LookupModel* model = ListView->rows();
    const int columns = int(std::size(kColumns));
    for (int i = 0; i < columns; ++i)
        model->addColumn(QString::fromUtf16(kColumns[i].header),
                         (kColumns[i].right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, i == 0);
    for (int i = 0; i < columns; ++i)
        ListView->setColumnWidth(i, kColumns[i].twips / kTwipsPerPixel);
    model->setFields({QStringLiteral("code"), QStringLiteral("kana"), QStringLiteral("gname"),
                      QStringLiteral("tanka1"), QStringLiteral("tanka2"), QStringLiteral("tanka3"),
                      QStringLiteral("unit"), QStringLiteral("bcode"), QStringLiteral("gkubun"),
                      QStringLiteral("tkubun"), QStringLiteral("zkubun"), QStringLiteral("stop")});
    model->setCellText([this](const QVariant* row, int column) { return fnCellText(row, column); });
    model->setRowColour([](const QVariant* row) { return row[11].toInt() == 1 ? kStopColor : QColor(); });
    model->setOrder(LookupModel::Order::TextNoCase);

    // Notice shown over the list while the ranked name search runs.
    txtMsg = new QLabel(QStringLiteral("商品名称で検索中・・・\nしばらくお待ちください。"), body());
    txtMsg->setObjectName(QStringLiteral("txtMsg"));
    txtMsg->setAlignment(Qt::AlignCenter);
    txtMsg->setFrameShape(QFrame::Box);
    txtMsg->setAutoFillBackground(true);
    txtMsg->setMargin(12);
    txtMsg->hide();

    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(fraFind);
    layout->addWidget(ListView, 1);

    connect(cmdFind, &QPushButton::clicked, this, &frmPopupGoods::fnFind);
    connect(ListView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            ListView->setCurrentRow(index.row());
            fnChoose();
        }
    });
    connect(ListView->header(), &QHeaderView::sectionClicked, this, &frmPopupGoods::fnSortColumn);

    setToolbar(kMaskBunrui);
    fitToolbar();

    // Code input rule and row limit.
    int gno = 0;
    m_maxLine = INT_MAX; // no settings row: no limit
    Recordset rec;
    if (m_db.DbSql(QStringLiteral("select gno,maxline from sysfile where id = 1"), rec) && !rec.Eof()) {
        gno = rec.Fields(QStringLiteral("gno")).toInt();
        if (!rec.Fields(QStringLiteral("maxline")).isNull())
            m_maxLine = rec.Fields(QStringLiteral("maxline")).toInt();
    }
    setInputMode(txtCode, gno == 1 ? QStringLiteral("6") : QStringLiteral("4"));

    int listWidth = 0;
    for (int i = 0; i < columns; ++i)
        listWidth += ListView->columnWidth(i);
    resize(qMax(listWidth + 40, 900), 600);
}

frmPopupGoods::~frmPopupGoods() {
    // Hidden while still whole: hiding moves the focus, and the form hears of it.
    hide();
    m_db.CloseDb();
}

void frmPopupGoods::Gbun(qint32 code) {
    Recordset rec;
    const QString text = QString::number(code);
    if (m_db.DbSql(QStringLiteral("select name from bunrui where kubun=4 and code=") + text, rec) &&
        !rec.Eof()) {
        txtBunrui->setText(text);
        lblBunruiName->setText(fieldText(rec, QStringLiteral("name")));
    } else {
        txtBunrui->clear();
        lblBunruiName->clear();
    }
}

void frmPopupGoods::showEvent(QShowEvent* e) {
    // A caller that is busy (disabled) while it opens the popup must not freeze it with itself.
    if (!isEnabled()) setEnabled(true);
    FormBase::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        fnFirstShow();
    }
}

void frmPopupGoods::fnFirstShow() {
    QString caption = m_baseCaption;
    if (gbytMode == 1) caption += QStringLiteral("（在庫対象外は除く）");
    if (gstrGkbn == u"1")
        caption += QStringLiteral("（送料のみ検索）");
    else if (gstrGkbn == u"2")
        caption += QStringLiteral("（手数料のみ検索）");
    else if (gstrGkbn == u"3")
        caption += QStringLiteral("（値引きのみ検索）");
    setWindowTitle(caption);

    if (!gstrCode.trimmed().isEmpty()) txtCode->setText(fnPadLeft(gstrCode, kCodeLength));

    if (!gstrGname.isEmpty()) {
        txtCode->clear();
        txtKana->clear();
        txtname->clear();
        chkStop->setChecked(false);
        txtMsg->show();
        fnPlaceNotice();
        // Once the popup is on the screen, before the user can act.
        QTimer::singleShot(0, this, &frmPopupGoods::fnNameSearch);
    }
}

void frmPopupGoods::fnFind() {
    if (gstrGkbn != u"1" && gstrGkbn != u"2" && gstrGkbn != u"3") setWindowTitle(m_baseCaption);

    BusyGuard busy(this);
    ListView->rows()->clear();
    m_hasRows = false;
    m_sorted = true;

    const QString typedCode = txtCode->text().trimmed();
    const QString start =
        typedCode.isEmpty() ? QStringLiteral("           0") : fnPadLeft(typedCode, kCodeLength);

    QString sql = QStringLiteral("SELECT goods.code AS code,goods.kana AS kana,goods.name AS gname,") +
                  QStringLiteral(" goods.unit AS unit,goods.stop AS stop,goods.bunrui AS bcode,") +
                  QStringLiteral(" goods.gkubun AS gkubun,goods.zkubun AS zkubun,goods.tkubun AS tkubun,") +
                  QStringLiteral(" goods.tanka1 AS tanka1,goods.tanka2 AS tanka2,goods.tanka3 AS tanka3") +
                  QStringLiteral(" FROM goods") + QStringLiteral(" WHERE goods.code >= '") +
                  fnSqlText(start) + QStringLiteral("'");
    if (gbytMode == 1) sql += QStringLiteral(" and goods.zkubun=0");
    const QString bunrui = txtBunrui->text().trimmed();
    if (!bunrui.isEmpty()) sql += QStringLiteral(" and bunrui=") + categoryNumber(bunrui);
    if (gstrGkbn == u"0" || gstrGkbn == u"1" || gstrGkbn == u"2" || gstrGkbn == u"3")
        sql += QStringLiteral(" and goods.gkubun=") + gstrGkbn;
    if (!chkStop->isChecked()) sql += QStringLiteral(" and goods.stop=0");
    if (!txtKana->text().trimmed().isEmpty())
        sql += QStringLiteral(" and goods.skana LIKE '%") + likeText(txtKana->text()) + QStringLiteral("%'");
    if (!txtname->text().trimmed().isEmpty())
        sql += QStringLiteral(" and goods.sname LIKE '%") + likeText(txtname->text()) + QStringLiteral("%'");
    sql += QStringLiteral(" order by goods.code");

    Recordset rec;
    const bool ok = m_db.DbSql(sql, rec, fetchLimit());
    if (ok) fnFillList(rec);
    busy.release();
    // A failed query was recorded by the access class; there is nothing to tell about rows.
    if (ok) fnAfterSearch(m_hasRows);
}

void frmPopupGoods::fnNameSearch() {
    BusyGuard busy(this);
    fnPlaceNotice();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); // let the notice paint
    ListView->rows()->clear();
    m_hasRows = false;
    m_sorted = false; // the query's order, best match first

    QString name = gstrGname;
    QStringList words;
    fnSplitName(name, words);
    gstrGname.clear();
    words = words.mid(0, kMaxWords);

    QStringList pieces;
    for (const QString& word : std::as_const(words))
        pieces << QStringLiteral(" select name from goods where name like'%") + fnSqlLike(word) +
                      QStringLiteral("%'");
    const QString sql =
        QStringLiteral("select goods.code AS code,goods.kana AS kana,na AS gname,") +
        QStringLiteral(" goods.unit AS unit,goods.stop AS stop,goods.bunrui AS bcode,") +
        QStringLiteral(" goods.gkubun AS gkubun,goods.zkubun AS zkubun,goods.tkubun AS tkubun,") +
        QStringLiteral(" goods.tanka1 AS tanka1,goods.tanka2 AS tanka2,goods.tanka3 AS tanka3,ct") +
        QStringLiteral(" from (") + QStringLiteral("select name as na,count(*) as ct from (") +
        pieces.join(QStringLiteral(" union all")) + QStringLiteral(") group by name") +
        QStringLiteral(") dummy,goods") + QStringLiteral(" where goods.name=dummy.na") +
        QStringLiteral(" order by ct desc");

    // A name without a single word has nothing to look for (and no statement to run).
    Recordset rec;
    const bool ok = words.isEmpty() || m_db.DbSql(sql, rec, fetchLimit());

    txtMsg->hide();
    setWindowTitle(m_baseCaption + QStringLiteral("（") + words.join(QStringLiteral("、")) +
                   QStringLiteral("）"));

    if (ok && !words.isEmpty()) fnFillList(rec);
    busy.release();
    if (ok) fnAfterSearch(m_hasRows);
}

int frmPopupGoods::fetchLimit() const {
    // One row past the limit tells that "最大行" is due; the rest is never shown.
    if (m_maxLine == INT_MAX) return -1;
    return qMax(1, m_maxLine + 1);
}

void frmPopupGoods::fnFillList(Recordset& rec) {
    fnLoadBunruiNames();
    // The rows are kept as fetched; at most maxline of them, "最大行" when a further one is there.
    const bool tooMany = ListView->rows()->fill(rec, m_maxLine == INT_MAX ? -1 : qMax(0, m_maxLine));
    m_hasRows = ListView->rowCount() > 0;
    if (m_sorted && m_hasRows) ListView->sortOn(m_sortColumn, false);
    if (tooMany) fnMessage(QStringLiteral("最大行"));
}

void frmPopupGoods::fnLoadBunruiNames() {
    // The whole category table in one query: it is small, and a list may name every category.
    m_bunruiNames.clear();
    Recordset rec;
    if (!m_db.DbSql(QStringLiteral("select code,name from bunrui where kubun = 4"), rec)) return;
    for (; !rec.Eof(); rec.MoveNext()) {
        bool ok = false;
        const qint64 key = fieldText(rec, QStringLiteral("code")).trimmed().toLongLong(&ok);
        if (ok && !m_bunruiNames.contains(key))
            m_bunruiNames.insert(key, fieldText(rec, QStringLiteral("name")).trimmed());
    }
}

QString frmPopupGoods::fnCellText(const QVariant* row, int column) const {
    static const QStringList gkubunLabels = {QStringLiteral("通常"), QStringLiteral("送料"),
                                             QStringLiteral("手数料"), QStringLiteral("値引き")};
    static const QStringList tkubunLabels = {QStringLiteral("外税"), QStringLiteral("内税"),
                                             QStringLiteral("非課税")};
    static const QStringList zkubunLabels = {QStringLiteral("対象"), QStringLiteral("対象外")};
    const auto text = [row](int i) { return row[i].isNull() ? QString() : row[i].toString(); };
    // The fields in the order of setFields: code, kana, gname, tanka1..3, unit, bcode, gkubun,
    // tkubun, zkubun, stop.
    switch (column) {
    case 0:
        // Codes are stored right-justified already: those are shown as they are, not made again.
        return isPadded(row[0]) ? row[0].toString() : fnPadLeft(text(0), kCodeLength);
    case 1:
    case 2:
    case 6:
        return text(column).trimmed();
    case 3:
    case 4:
    case 5:
        return fnFormat(row[column], QStringLiteral("##,###,##0"));
    case 7:
        return fnBunruiName(row[7]);
    case 8:
        return kindText(row[8], gkubunLabels);
    case 9:
        return kindText(row[9], tkubunLabels);
    case 10:
        return kindText(row[10], zkubunLabels);
    case 11:
        return row[11].toInt() == 1 ? QStringLiteral("中止") : QString();
    default:
        return QString();
    }
}

QString frmPopupGoods::fnBunruiName(const QVariant& code) const {
    const QString text = code.isNull() ? QString() : code.toString().trimmed();
    bool ok = false;
    const qint64 key = text.toLongLong(&ok);
    // Category codes are whole numbers; anything else the suite stored names no category.
    if (!ok) return QStringLiteral(" ");
    return m_bunruiNames.value(key, QStringLiteral(" "));
}

void frmPopupGoods::fnAfterSearch(bool found) {
    if (found) {
        ListView->setCurrentRow(0);
        if (fnCanFocus(ListView)) ListView->setFocus();
        return;
    }
    fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
    for (QLineEdit* box : {txtCode, txtKana, txtname}) {
        if (!box->text().trimmed().isEmpty() && box->isEnabled()) {
            box->setFocus();
            break;
        }
    }
}

void frmPopupGoods::fnStepBunrui(bool next) {
    {
        BusyGuard busy(this);
        const QString n = categoryNumber(txtBunrui->text());
        const QString sql = next
                                ? QStringLiteral("select code,name from bunrui where kubun = 4 and code > ") +
                                      n + QStringLiteral(" order by code")
                                : QStringLiteral("select code,name from bunrui where kubun = 4 and code < ") +
                                      n + QStringLiteral(" order by code desc");
        Recordset rec;
        if (m_db.DbSql(sql, rec) && !rec.Eof()) {
            txtBunrui->setText(fnPadLeft(fieldText(rec, QStringLiteral("code")), kBunruiLength));
            lblBunruiName->setText(fieldText(rec, QStringLiteral("name")));
        }
    }
    fnSelectText(txtBunrui, false);
}

void frmPopupGoods::fnBunruiList() {
    // The list is modal over this form; the form's own controls stay inactive meanwhile.
    body()->setEnabled(false);
    tlbFunction()->setEnabled(false);
    clsPopup popup;
    popup.IdxKey = QStringLiteral("4");
    popup.IdxKey2 = categoryNumber(txtBunrui->text());
    popup.fnSetPopup(2, this);
    body()->setEnabled(true);
    tlbFunction()->setEnabled(true);

    const QString chosen = popup.IdxKey2.trimmed();
    if (!chosen.isEmpty()) {
        Recordset rec;
        if (m_db.DbSql(QStringLiteral("select * from bunrui where Kubun = 4 and code = ") +
                           categoryNumber(chosen),
                       rec) &&
            !rec.Eof()) {
            txtBunrui->setText(fnPadLeft(fieldText(rec, QStringLiteral("code")), kBunruiLength));
            lblBunruiName->setText(fieldText(rec, QStringLiteral("name")));
        }
    }
    // Back from the list: this window takes the keys again, in the category field.
    activateWindow();
    txtBunrui->setFocus();
    fnSelectText(txtBunrui, false);
}

void frmPopupGoods::fnCheckBunrui() {
    const QString text = txtBunrui->text().trimmed();
    if (text.isEmpty()) {
        lblBunruiName->clear();
        return;
    }
    // A pasted text that is no plain code shows the number it is searched by.
    const QString n = categoryNumber(text);
    txtBunrui->setText(fnPadLeft(digitsOnly(text) ? text : n, kBunruiLength));
    Recordset rec;
    if (m_db.DbSql(QStringLiteral("select code,name from bunrui where kubun = 4 and code = ") + n, rec) &&
        !rec.Eof()) {
        lblBunruiName->setText(fieldText(rec, QStringLiteral("name")));
    } else {
        txtBunrui->clear();
        lblBunruiName->clear();
    }
}

void frmPopupGoods::fnClear() {
    txtKana->clear();
    txtname->clear();
    txtCode->clear();
    ListView->rows()->clear();
    m_hasRows = false;
    if (txtCode->isEnabled()) txtCode->setFocus();
}

void frmPopupGoods::fnChoose() {
    const int row = ListView->chosenRow();
    if (row < 0) return;
    gstrCode = ListView->text(row, 0);
    done(QDialog::Accepted); // hidden, still loaded: the caller reads gstrCode
}

void frmPopupGoods::fnSortColumn(int column) {
    if (!m_hasRows) return;
    m_sortColumn = column;
    m_sorted = true;
    ListView->sortOn(column, true);
}

void frmPopupGoods::formKeyDown(int& key, Qt::KeyboardModifiers modifiers) {
    Q_UNUSED(modifiers);
    runKeyNavigation(key); // Escape that undoes an edit ends here
    if (key == 0) return;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && activeControl(this) == ListView) {
        fnChoose();
        key = 0;
        return;
    }
    switch (key) {
    case Qt::Key_PageUp:
        key = Qt::Key_F2;
        break;
    case Qt::Key_PageDown:
        key = Qt::Key_F3;
        break;
    case Qt::Key_Escape:
        key = Qt::Key_F6;
        break;
    default:
        break;
    }
    runFunctionKeys(key);
    runMoveFocus(key);
}

void frmPopupGoods::functionKey(int n) {
    const bool onBunrui = activeControl(this) == txtBunrui;
    switch (n) {
    case 2:
        if (onBunrui) fnStepBunrui(true);
        break;
    case 3:
        if (onBunrui) fnStepBunrui(false);
        break;
    case 4:
        if (onBunrui) fnBunruiList();
        break;
    case 6:
        fnClear();
        break;
    case 12:
        gstrCode.clear();
        done(QDialog::Rejected);
        break;
    default:
        FormBase::functionKey(n);
        break;
    }
}

void frmPopupGoods::focusEnter(QWidget* now) {
    if (now == txtBunrui) {
        fnSelectText(txtBunrui, false);
        enableToolbar(kMaskBunrui);
    } else if (now == txtCode || now == txtKana || now == txtname) {
        fnSelectText(static_cast<QLineEdit*>(now), false);
        enableToolbar(kMaskFields);
    } else if (now == cmdFind) {
        enableToolbar(kMaskFields);
    }
}

void frmPopupGoods::focusLeave(QWidget* old, QWidget* now, bool stillInside) {
    Q_UNUSED(now);
    if (old == txtBunrui && stillInside) fnCheckBunrui();
}

void frmPopupGoods::formUnload() {
    // Closed by the frame: nothing was chosen.
    gstrCode.clear();
    m_db.CloseDb();
}

void frmPopupGoods::keyPressEvent(QKeyEvent* e) {
    // Escape is the clear key here, never QDialog's reject.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    FormBase::keyPressEvent(e);
}

void frmPopupGoods::resizeEvent(QResizeEvent* e) {
    FormBase::resizeEvent(e);
    fnPlaceNotice();
}

void frmPopupGoods::fnPlaceNotice() {
    if (!txtMsg) return;
    txtMsg->adjustSize();
    const QRect list = ListView->geometry();
    txtMsg->move(list.center().x() - txtMsg->width() / 2, list.center().y() - txtMsg->height() / 2);
    txtMsg->raise();
}
