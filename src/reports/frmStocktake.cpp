#include "reports/frmStocktake.h"

#include "app/basMessage.h"
#include "app/basOperationLog.h"
#include "app/basRetry.h"
#include "core/basFormat.h"
#include "data/DbError.h"
#include "data/DialogSeam.h"
#include "export/basStocktakeTable.h"
#include "reports/PrintBusy.h"
#include "reports/StocktakeModel.h"
#include "reports/basPrintScreen.h"
#include "reports/rptStocktake.h"
#include "stock/StocktakeFile.h"
#include "stock/StocktakeWrite.h"
#include "ui/DateFields.h"
#include "ui/basInput.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// F1 help, F2 read, F4 file, F12 close; with a check also F5 write, F9 preview, F10 print.
const QString kPatternEmpty = QStringLiteral("1101-0000-0001");
const QString kPatternChecked = QStringLiteral("1101-1000-1101");
const QString kPatternBusy = QStringLiteral("0000-0000-0000");

// Repaints the busy screen while a write waits for a lock; always true.
bool drawBusy() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

} // namespace

frmStocktake::frmStocktake(QWidget* parent) : FormBase(FormKind::Screen, parent) {
    setObjectName(QStringLiteral("frmStocktake"));
    setWindowTitle(caption());
    buildControls();
    gclsDb.OpenDb();
    setLockWait(StocktakeWrite::kLockWaitMs);
    setToolbar(kPatternEmpty);
    setTips();
    fitToolbar();
    m_date->setToday();
    dropCheck();
}

frmStocktake::~frmStocktake() {
    // Hidden while whole: hiding moves the focus and the focus handlers must see a complete form.
    hide();
}

void frmStocktake::setLockWait(int milliseconds) {
    m_lockWaitMs = milliseconds;
    if (Connection* cn = gclsDb.connection()) cn->setBusyTimeout(milliseconds);
}

void frmStocktake::buildControls() {
    QWidget* b = body();
    auto* grid = new QGridLayout(b);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);

    m_date = new DateFields(b, QStringLiteral("txtYy"), QStringLiteral("txtMm"), QStringLiteral("txtDd"),
                            QStringLiteral("DTPicker"));
    m_date->setCompleteYear(true, true);
    txtYy = m_date->year();
    txtMm = m_date->month();
    txtDd = m_date->day();
    DTPicker = m_date->picker();
    const std::pair<QWidget*, int> dateControls[] = {{txtYy, 0}, {txtMm, 1}, {txtDd, 2}, {DTPicker, 3}};
    for (auto [w, index] : dateControls) {
        setTabIndex(w, index);
        w->setToolTip(QStringLiteral("棚卸日を入力します"));
    }
    setTabStop(DTPicker, false); // chosen with the mouse; Enter goes from box to box
    auto* dateRow = new QHBoxLayout;
    dateRow->setSpacing(4);
    dateRow->addWidget(txtYy);
    dateRow->addWidget(new QLabel(QStringLiteral("年"), b));
    dateRow->addWidget(txtMm);
    dateRow->addWidget(new QLabel(QStringLiteral("月"), b));
    dateRow->addWidget(txtDd);
    dateRow->addWidget(new QLabel(QStringLiteral("日"), b));
    dateRow->addSpacing(8);
    dateRow->addWidget(DTPicker);
    dateRow->addStretch(1);
    auto* lblDay = new QLabel(QStringLiteral("棚卸日"), b);
    lblDay->setObjectName(QStringLiteral("lblDay"));
    grid->addWidget(lblDay, 0, 0);
    grid->addLayout(dateRow, 0, 1);

    txtFile = newTextBox(b, QStringLiteral("txtFile"), 4, QString(), 1024);
    txtFile->setToolTip(
        QStringLiteral("棚卸ファイル（1行に商品コードと棚卸数、カンマまたはタブ区切り）を指定します"));
    txtFile->setMinimumWidth(420);
    cmdFile = new QPushButton(QStringLiteral("参照(F4)"), b);
    cmdFile->setObjectName(QStringLiteral("cmdFile"));
    cmdFile->setFocusPolicy(Qt::NoFocus); // F4 does it from the keyboard
    auto* fileRow = new QHBoxLayout;
    fileRow->setSpacing(6);
    fileRow->addWidget(txtFile, 1);
    fileRow->addWidget(cmdFile);
    grid->addWidget(new QLabel(QStringLiteral("ファイル"), b), 1, 0);
    grid->addLayout(fileRow, 1, 1);

    chkZero = new QCheckBox(QStringLiteral("ファイルにない在庫対象の商品（中止を除く）は棚卸数0とする"), b);
    chkZero->setObjectName(QStringLiteral("chkZero"));
    setTabIndex(chkZero, 5);
    cmdRead = new QPushButton(QStringLiteral("読込(F2)"), b);
    cmdRead->setObjectName(QStringLiteral("cmdRead"));
    setTabIndex(cmdRead, 6);
    auto* optionRow = new QHBoxLayout;
    optionRow->addWidget(chkZero);
    optionRow->addStretch(1);
    optionRow->addWidget(cmdRead);
    grid->addLayout(optionRow, 2, 1);

    m_model = new StocktakeModel(this);
    grdCheck = new QTableView(b);
    grdCheck->setObjectName(QStringLiteral("grdCheck"));
    grdCheck->setAccessibleName(QStringLiteral("取込内容の確認"));
    grdCheck->setModel(m_model);
    setTabIndex(grdCheck, 7);
    grdCheck->verticalHeader()->setVisible(false);
    grdCheck->verticalHeader()->setDefaultSectionSize(grdCheck->fontMetrics().height() + 6);
    grdCheck->horizontalHeader()->setHighlightSections(false);
    grdCheck->horizontalHeader()->setStretchLastSection(true);
    grdCheck->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdCheck->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdCheck->setSelectionMode(QAbstractItemView::SingleSelection);
    grdCheck->setWordWrap(false);
    grdCheck->setMinimumHeight(260);
    const int widths[] = {50, 110, 220, 80, 80, 80, 90, 110};
    for (int c = 0; c < 8; ++c)
        grdCheck->setColumnWidth(c, widths[c]);
    grid->addWidget(grdCheck, 3, 0, 1, 2);
    grid->setRowStretch(3, 1);

    lblSummary = new QLabel(b);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(lblSummary, 4, 0, 1, 2);

    lblMsg = new QLabel(b);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setStyleSheet(QStringLiteral("color: #a00000;"));
    cmdOk = new QPushButton(QStringLiteral("記録(F5)"), b);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdPre = new QPushButton(QStringLiteral("確認(F9)"), b);
    cmdPre->setObjectName(QStringLiteral("cmdPre"));
    cmdPrint = new QPushButton(QStringLiteral("印刷(F10)"), b);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    int tab = 8;
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblMsg, 1);
    for (QPushButton* button : {cmdOk, cmdPre, cmdPrint}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(96);
        setTabIndex(button, tab++);
        buttons->addWidget(button);
    }
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(cmdFile, &QPushButton::clicked, this, [this] { fnChooseFile(); });
    connect(cmdRead, &QPushButton::clicked, this, [this] { fnReadFile(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { fnSave(); });
    connect(cmdPre, &QPushButton::clicked, this, [this] { fnPrintList(1); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { fnPrintList(0); });
    // Another day, file or option: the check shown is no longer the one F5 would write.
    for (QLineEdit* box : {txtYy, txtMm, txtDd, txtFile})
        connect(box, &QLineEdit::textEdited, this, [this] { dropCheck(); });
    connect(m_date, &DateFields::dateChanged, this, [this](qint32 day) {
        if (m_haveCheck && day != m_check.day()) dropCheck();
    });
    connect(chkZero, &QCheckBox::toggled, this, [this] { dropCheck(); });
    resize(980, 600);
}

void frmStocktake::setTips() {
    const std::pair<int, const char16_t*> tips[] = {{2, u"F2 ファイルを読込んで確認"},
                                                    {4, u"F4 ファイルを選択"},
                                                    {5, u"F5 記録"},
                                                    {9, u"F9 差異表をプレビュー"},
                                                    {10, u"F10 差異表を印刷"}};
    for (auto [n, tip] : tips)
        if (QAction* a = fnToolbarButton(tlbFunction(), n)) a->setToolTip(QString::fromUtf16(tip));
}

// ---- keys and focus

void frmStocktake::functionKey(int n) {
    if (m_busy) return;
    switch (n) {
    case 2:
        fnReadFile();
        break;
    case 4:
        fnChooseFile();
        break;
    case 5:
        fnSave();
        break;
    case 9:
        fnPrintList(1);
        break;
    case 10:
        fnPrintList(0);
        break;
    case 12:
        close();
        break;
    default:
        FormBase::functionKey(n);
        break;
    }
}

void frmStocktake::focusEnter(QWidget* now) {
    if (m_busy) return;
    if (auto* box = qobject_cast<QLineEdit*>(now)) fnSelectText(box, box != txtFile);
}

void frmStocktake::focusLeave(QWidget* old, QWidget*, bool stillInside) {
    if (m_busy || !stillInside) return;
    // Enter (or Tab) out of the file box reads a file not read yet.
    if (old == txtFile && !txtFile->text().trimmed().isEmpty() &&
        (!m_haveCheck || txtFile->text().trimmed() != m_checkedPath))
        fnReadFile();
}

void frmStocktake::formUnload() {
    gclsDb.CloseDb();
}

void frmStocktake::focusIfEnabled(QWidget* w) {
    if (w && w->isEnabled()) w->setFocus(Qt::OtherFocusReason);
}

// ---- reading and checking

void frmStocktake::fnChooseFile() {
    SaveFileRequest r;
    r.title = caption() + QStringLiteral(" ファイル選択");
    r.proposedName = txtFile->text().trimmed();
    r.filter = QStringLiteral("CSV・テキスト (*.csv *.txt *.tsv);;すべてのファイル (*)");
    const QString chosen = dialogs().openFileName(r);
    if (chosen.isEmpty()) return;
    txtFile->setText(chosen);
    fnReadFile();
}

void frmStocktake::fnReadFile() {
    m_date->completeYear();
    m_date->commit();
    const qint32 day = m_date->date();
    if (day == 0 || !m_date->dateInRange()) {
        fnPlainMessage(QStringLiteral("棚卸日を入力してください"), MsgIcon::Exclamation);
        focusIfEnabled(txtMm);
        return;
    }
    const QString path = txtFile->text().trimmed();
    if (path.isEmpty()) {
        fnPlainMessage(QStringLiteral("棚卸ファイルを指定してください"), MsgIcon::Exclamation);
        focusIfEnabled(txtFile);
        return;
    }
    dropCheck();
    StocktakeFile file;
    bool read = false;
    {
        BusyGuard busy(this);
        read = file.read(path);
        if (read) {
            try {
                m_check.run(file.lines(), day, chkZero->isChecked());
                m_haveCheck = true;
                m_checkedPath = path;
            } catch (const DbError& e) {
                busy.release();
                fnShowDbError(e.description());
                return;
            }
        }
    }
    if (!read) {
        fnPlainMessage(path + QStringLiteral("\r\n") + file.errorText(), MsgIcon::Exclamation);
        focusIfEnabled(txtFile);
        return;
    }
    showCheck();
    if (m_check.lines().isEmpty()) {
        fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
        focusIfEnabled(txtFile);
        return;
    }
    // Refused lines come first: the first one is where the user looks.
    grdCheck->setCurrentIndex(m_model->index(0, 0));
    focusIfEnabled(m_check.refusedCount() > 0 ? static_cast<QWidget*>(grdCheck) : cmdOk);
}

void frmStocktake::dropCheck() {
    if (m_busy) return;
    m_haveCheck = false;
    m_checkedPath.clear();
    m_model->clear();
    lblSummary->clear();
    lblMsg->clear();
    enableToolbar(kPatternEmpty);
    for (QPushButton* b : {cmdOk, cmdPre, cmdPrint})
        b->setEnabled(false);
}

void frmStocktake::showCheck() {
    m_model->setCheck(m_check);
    QString summary = fnStocktakeSummary(m_check);
    if (m_check.refusedCount() > 0) summary += QStringLiteral("　― 取り込めない行があるため記録できません");
    lblSummary->setText(summary);
    lblSummary->setStyleSheet(
        m_check.refusedCount() > 0 ? QStringLiteral("color: #c00000; font-weight: bold;") : QString());
    const bool any = !m_check.lines().isEmpty();
    enableToolbar(any ? kPatternChecked : kPatternEmpty);
    cmdOk->setEnabled(any && m_check.refusedCount() == 0);
    cmdPre->setEnabled(any);
    cmdPrint->setEnabled(any);
}

// ---- writing

void frmStocktake::fnSave() {
    if (!m_haveCheck || m_check.lines().isEmpty()) {
        fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
        return;
    }
    if (m_check.refusedCount() > 0) {
        fnPlainMessage(QStringLiteral("取り込めない行が%1行あります。ファイルを直して読み込み直してください")
                           .arg(m_check.refusedCount()),
                       MsgIcon::Exclamation);
        focusIfEnabled(grdCheck);
        return;
    }
    const QString day = fnFormat(m_check.day(), QStringLiteral("####/##/##"));
    const QString extra = QStringLiteral("棚卸日 %1　%2件（うち置換 %3件）")
                              .arg(day)
                              .arg(m_check.writableCount())
                              .arg(m_check.replaceCount());
    if (fnMessage(QStringLiteral("記録"), extra) != MsgYes) return;
    StocktakeWrite write(m_check);
    bool saved = false;
    m_busy = true;
    {
        PrintBusy busy(
            this,
            {txtYy, txtMm, txtDd, DTPicker, txtFile, chkZero, cmdRead, grdCheck, cmdOk, cmdPre, cmdPrint},
            lblMsg, kPatternBusy, kPatternChecked);
        drawBusy();
        qint16 counter = 0;
        Connection* cn = gclsDb.connection();
        if (cn && cn->State() == 1) saved = write.run(*cn, [&] { return fnNextTry(counter) && drawBusy(); });
        if (saved) {
            QList<OperationLogRow> log;
            write.logRows(caption(), [&](const QString& text, int kind, const QString& detail) {
                log << OperationLogRow{text, kind, detail};
            });
            fnOperationLog(log);
        }
    }
    m_busy = false;
    if (!saved) {
        // Nothing was written: the check stays, to be written again.
        const QString error = !write.errorText().isEmpty() ? write.errorText()
                              : !gclsDb.ErrMsg().isEmpty()
                                  ? gclsDb.ErrMsg()
                                  : QStringLiteral("データベースに接続できませんでした");
        fnMessage(QStringLiteral("記録エラー"), error);
        return;
    }
    // The counts now on the ledger: checked again, every line now replaces its own count.
    fnReadFile();
    lblMsg->setText(
        QStringLiteral("%1件を%2の棚卸数として記録しました").arg(write.written().size()).arg(day));
}

// ---- the difference list

void frmStocktake::fnPrintList(int mode) {
    if (!m_haveCheck || m_check.lines().isEmpty()) {
        fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
        return;
    }
    m_busy = true;
    {
        PrintBusy busy(
            this,
            {txtYy, txtMm, txtDd, DTPicker, txtFile, chkZero, cmdRead, grdCheck, cmdOk, cmdPre, cmdPrint},
            lblMsg, kPatternBusy, kPatternChecked);
        if (fnPrintOrPreview(std::make_unique<rptStocktake>(m_check), mode, busy.progress()))
            fnOperationLog(caption(), 4,
                           QStringLiteral("棚卸差異表") +
                               (mode == 0 ? QStringLiteral(":印刷") : QStringLiteral(":確認")));
    }
    m_busy = false;
    // The buttons as the check allows them (the busy state enabled them all).
    showCheck();
}
