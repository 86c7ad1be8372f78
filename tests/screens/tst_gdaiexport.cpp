#include "reports/XlsxReader.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include "screens/frmGdai.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStringDecoder>
#include <QTableWidget>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The goods ledger's exports: the grid's right-click menu writes the month shown as CSV or Excel,
// and zanmo-tool ledger prints or writes the same month; both read back against the screen.
class tst_gdaiexport : public QObject {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<QTemporaryDir> m_out;
    std::unique_ptr<frmGdai> m_form;

    template <typename T> T* control(const char* name) const {
        T* w = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QTableWidget* grid() const { return control<QTableWidget>("msgMei"); }
    QAction* action(const char* name) const { return control<QAction>(name); }
    QString label(const char* name) const { return control<QLabel>(name)->text(); }

    // Every kind of movement in May 2024 for 1001, with April's stock before it.
    void openForm() {
        const char* rows[][6] = {{"20240401", "9", "100", "0", "0"},     {"20240410", "0", "20", "0", "0"},
                                 {"20240502", "0", "30", "0", "0"},      {"20240507", "1", "15", "5001", "2"},
                                 {"20240507", "1", "5", "5002", "1"},    {"20240515", "2", "3", "6001", "1"},
                                 {"20240520", "9", "140", "0", "0"},     {"20240522", "0", "2000", "0", "0"},
                                 {"20240528", "1", "1500", "5003", "3"}, {"20240601", "0", "7", "0", "0"}};
        for (const auto& r : rows)
            m_dir->addLedger(u"1001"_s, QByteArray(r[0]).toInt(), QByteArray(r[1]).toInt(),
                             QByteArray(r[2]).toDouble(), QByteArray(r[3]).toInt(), QByteArray(r[4]).toInt());
        m_form = std::make_unique<frmGdai>();
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void showLedger(const QString& code = u"1001"_s, const QString& month = u"05"_s) {
        auto* txtCode = control<QLineEdit>("txtCode");
        auto* txtYy = control<QLineEdit>("txtYy");
        auto* txtMm = control<QLineEdit>("txtMm");
        QTest::keyClicks(txtCode, code);
        QTest::keyClick(txtCode, Qt::Key_Return);
        QTest::keyClicks(txtYy, u"2024"_s);
        QTest::keyClicks(txtMm, month);
        QTest::keyClick(txtMm, Qt::Key_Return);
    }
    // The grid's rows newest first, cells joined by `separator`; the captions first.
    QStringList gridLines(QChar separator) const {
        QStringList lines, captions;
        for (int c = 0; c < grid()->columnCount(); ++c)
            captions << grid()->horizontalHeaderItem(c)->text();
        lines << captions.join(separator);
        for (int r = 0; r < grid()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid()->columnCount(); ++c)
                cells << grid()->item(r, c)->text();
            lines << cells.join(separator);
        }
        return lines;
    }
    // The four figures under the grid as "caption<separator>figure".
    QStringList totalLines(QChar separator) const {
        return {u"入庫合計"_s + separator + label("lblNsuu"), u"出庫合計"_s + separator + label("lblSsuu"),
                u"返品入庫合計"_s + separator + label("lblHsuu"),
                u"現在庫数"_s + separator + label("lblZsuu")};
    }
    static QString csvCell(const QString& s) { return s.contains(u',') ? u'"' + s + u'"' : s; }
    // The screen as CSV: the captions, the rows, the figures.
    QString screenCsv() const {
        QStringList lines;
        for (const QString& line : gridLines(u'\t')) {
            QStringList cells;
            for (const QString& cell : line.split(u'\t'))
                cells << csvCell(cell);
            lines << cells.join(u',');
        }
        for (const QString& total : totalLines(u'\t'))
            lines << total.section(u'\t', 0, 0) + u',' + csvCell(total.section(u'\t', 1));
        return lines.join(u"\r\n"_s) + u"\r\n"_s;
    }
    // The tool's output, stdout and stderr apart.
    QString tool(const QStringList& args, int* status, QString* error = nullptr) const {
        QProcess p;
        p.start(qEnvironmentVariable("ZANMO_TOOL"), QStringList{u"ledger"_s, m_dir->path()} + args);
        p.waitForFinished(60000);
        *status = p.exitCode();
        if (error) *error = QString::fromUtf8(p.readAllStandardError());
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    // Each grid cell against the sheet's cell (captions on row 6, rows from row 7): a date as a
    // date, a figure as a number, an empty cell as none; then the figures under a blank row.
    QStringList sheetDiffers(const XlsxReader& sheet) const {
        QStringList wrong;
        const auto check = [&](const QString& ref, const QString& shown, bool date) {
            const XlsxReader::Cell c = sheet.cell(ref);
            if (shown.isEmpty()) {
                if (c.present) wrong << ref + u" should be empty"_s;
            } else if (!c.isNumber()) {
                wrong << ref + u" is no number: "_s + c.type + u' ' + c.text;
            } else if (date ? c.date().toString(u"yyyy/MM/dd"_s) != shown || c.format != u"yyyy/mm/dd"_s
                            : c.number() != QString(shown).remove(u',').toDouble()) {
                wrong << ref + u": "_s + c.value + u" for "_s + shown;
            }
        };
        for (int col = 0; col < grid()->columnCount(); ++col) {
            const XlsxReader::Cell caption = sheet.cell(XlsxReader::ref(6, col + 1));
            if (caption.text != grid()->horizontalHeaderItem(col)->text() || !caption.bold)
                wrong << u"caption "_s + caption.text;
            for (int r = 0; r < grid()->rowCount(); ++r)
                check(XlsxReader::ref(7 + r, col + 1), grid()->item(r, col)->text(), col == frmGdai::ColDay);
        }
        const int below = 7 + grid()->rowCount() + 1;
        const QStringList totals = totalLines(u'\t');
        for (int i = 0; i < totals.size(); ++i) {
            if (sheet.cell(XlsxReader::ref(below + i, 1)).text != totals.at(i).section(u'\t', 0, 0))
                wrong << u"total caption "_s + QString::number(i);
            check(XlsxReader::ref(below + i, 2), totals.at(i).section(u'\t', 1), false);
        }
        if (sheet.cell(XlsxReader::ref(below + int(totals.size()), 1)).present) wrong << u"more below"_s;
        return wrong;
    }

private slots:
    void init() {
        m_dir = std::make_unique<TempProgramDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_out = std::make_unique<QTemporaryDir>();
        m_dir->addGoods(u"1001"_s, u"テスト商品Ａ"_s);
        m_dir->addGoods(u"1003"_s, u"在庫外品"_s, 1, 1, 0);
    }
    void cleanup() { m_form.reset(), m_out.reset(), m_dialogs.reset(), m_dir.reset(); }

    // The menu is the grid's own; it exports only a month on the screen.
    void menu() {
        openForm();
        QCOMPARE(grid()->contextMenuPolicy(), Qt::ActionsContextMenu);
        QStringList texts;
        for (QAction* a : grid()->actions())
            texts << a->text();
        QCOMPARE(texts, QStringList({u"CSV出力"_s, u"Excel出力"_s}));
        QVERIFY(!action("mnuCsv")->isEnabled() && !action("mnuXlsx")->isEnabled());
        showLedger();
        QCOMPARE(grid()->rowCount(), 7);
        QVERIFY(action("mnuCsv")->isEnabled() && action("mnuXlsx")->isEnabled());
        m_dialogs->answerMessage(MsgYes);
        QTest::keyClick(grid(), Qt::Key_F6); // cancel, answered Yes: the screen is empty again
        QVERIFY(!action("mnuXlsx")->isEnabled());
    }

    void excel() {
        openForm();
        showLedger();
        m_dialogs->clear();
        const QString file = m_out->filePath(u"台帳.xlsx"_s);
        m_dialogs->answerSaveFile(file);
        action("mnuXlsx")->trigger();
        QCOMPARE(m_dialogs->saveRequests.value(0).title, u"商品台帳Excel出力ﾌｧｲﾙ"_s);
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->lastMessage().text, u"出力しました。"_s);
        const XlsxReader sheet(file);
        QVERIFY2(sheet.isValid(), qPrintable(sheet.error()));
        QCOMPARE(
            QStringList({sheet.cell(u"A1"_s).text, sheet.cell(u"A2"_s).text, sheet.cell(u"A3"_s).text,
                         sheet.cell(u"A4"_s).text}),
            QStringList({u"商品台帳"_s, u"商品コード 1001"_s, u"名称 テスト商品Ａ"_s, u"2024年05月分"_s}));
        QCOMPARE(sheet.frozenRows(), 6);
        QCOMPARE(sheet.paperSize(), 9);
        QCOMPARE(sheet.orientation(), u"portrait"_s);
        const QStringList wrong = sheetDiffers(sheet);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        // Spot checks in the sheet's own terms: the newest row, its formats, the month-end stock.
        QCOMPARE(sheet.cell(u"E7"_s).number(), 1500.0);
        QCOMPARE(sheet.cell(u"E7"_s).format, u"#,##0"_s);
        QCOMPARE(sheet.cell(u"B7"_s).format, u"0"_s);
        QCOMPARE(sheet.cell(u"H7"_s).number(), 640.0);
        QCOMPARE(sheet.cell(u"B18"_s).number(), 640.0);
    }

    void csv_data() {
        QTest::addColumn<QString>("filter");
        QTest::newRow("UTF-8") << u"CSV UTF-8 (*.csv)"_s;
        QTest::newRow("Shift-JIS") << u"CSV Shift-JIS (*.csv)"_s;
    }
    void csv() {
        QFETCH(QString, filter);
        const bool sjis = filter.contains(u"Shift-JIS"_s);
        openForm();
        showLedger();
        m_dialogs->clear();
        const QString file = m_out->filePath(u"台帳.csv"_s);
        m_dialogs->answerSaveFile(file, filter);
        action("mnuCsv")->trigger();
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->lastMessage().text, u"保存しました"_s);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), !sjis);
        QStringDecoder decoder(sjis ? "Shift_JIS" : "UTF-8");
        const QString text = decoder.decode(sjis ? bytes : bytes.mid(3));
        QCOMPARE(text, screenCsv());
        QVERIFY(text.contains(u"2024/05/28,5003,3,,\"1,500\",,,640\r\n"_s));

        // Again into the same file, appended: the rows and figures once more, no second caption line.
        m_dialogs->clear();
        m_dialogs->answerSaveFile(file, filter);
        m_dialogs->answerMessage(MsgNo);
        action("mnuCsv")->trigger();
        QFile again(file);
        QVERIFY(again.open(QIODevice::ReadOnly));
        const QByteArray twice = again.readAll();
        QStringDecoder decoder2(sjis ? "Shift_JIS" : "UTF-8");
        const QString body = screenCsv().section(u"\r\n"_s, 1);
        QCOMPARE(decoder2.decode(sjis ? twice : twice.mid(3)), screenCsv() + body);
    }

    void cancelledAndUnwritable() {
        openForm();
        showLedger();
        m_dialogs->clear();
        action("mnuXlsx")->trigger(); // the dialog cancelled
        action("mnuCsv")->trigger();
        QCOMPARE(m_dialogs->saveRequests.size(), 2);
        QVERIFY(m_dialogs->messages.isEmpty());
        m_dialogs->answerSaveFile(u"/proc/zanmo-ledger.xlsx"_s);
        m_dialogs->answerSaveFile(u"/proc/zanmo-ledger.csv"_s);
        action("mnuXlsx")->trigger();
        action("mnuCsv")->trigger();
        QCOMPARE(m_dialogs->messages.size(), 2);
        for (const MessageRequest& box : m_dialogs->messages) {
            QCOMPARE(box.title, u"エラー"_s);
            QCOMPARE(box.icon, MsgIcon::Critical);
            QVERIFY2(box.text.startsWith(u"70: "_s), qPrintable(box.text));
        }
        QVERIFY(QDir(m_out->path()).isEmpty());
        QCOMPARE(grid()->rowCount(), 7); // the screen is as it was
    }

    // zanmo-tool ledger prints and writes what the screen shows for the same month.
    void toolEqualsScreen_data() {
        QTest::addColumn<QString>("month");
        QTest::newRow("every kind") << u"05"_s;
        QTest::newRow("no rows: the figures only") << u"03"_s;
    }
    void toolEqualsScreen() {
        QFETCH(QString, month);
        openForm();
        showLedger(u"1001"_s, month);
        int status = -1;
        const QString printed = tool({u"1001"_s, u"2024"_s + month}, &status);
        QCOMPARE(status, 0);
        const QStringList expected = QStringList{u"商品台帳"_s, u"商品コード 1001"_s, u"名称 テスト商品Ａ"_s,
                                                 u"2024年%1月分"_s.arg(month)} +
                                     gridLines(u'\t') + totalLines(u'\t');
        QCOMPARE(printed, expected.join(u'\n') + u'\n');

        // The files: the CSV is the screen's, the workbook holds the screen's cells.
        const QString csv = m_out->filePath(u"tool.csv"_s);
        tool({u"1001"_s, u"2024"_s + month, u"--csv"_s, csv, u"--sjis"_s}, &status);
        QCOMPARE(status, 0);
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QStringDecoder sjis("Shift_JIS");
        QCOMPARE(QString(sjis.decode(f.readAll())), screenCsv());
        const QString xlsx = m_out->filePath(u"tool.xlsx"_s);
        tool({u"1001"_s, u"2024"_s + month, u"--xlsx"_s, xlsx}, &status);
        QCOMPARE(status, 0);
        const XlsxReader sheet(xlsx);
        QVERIFY2(sheet.isValid(), qPrintable(sheet.error()));
        const QStringList wrong = sheetDiffers(sheet);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    }

    void toolRefuses_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown goods") << QStringList{u"9999"_s, u"202405"_s} << u"未登録"_s;
        QTest::newRow("not stock-managed") << QStringList{u"1003"_s, u"202405"_s} << u"在庫対象外"_s;
        QTest::newRow("no month") << QStringList{u"1001"_s, u"202413"_s} << u"YYYYMM"_s;
        QTest::newRow("a day, not a month") << QStringList{u"1001"_s, u"20240501"_s} << u"YYYYMM"_s;
        QTest::newRow("two files") << QStringList{u"1001"_s,  u"202405"_s, u"--csv"_s,
                                                  u"a.csv"_s, u"--xlsx"_s, u"a.xlsx"_s}
                                   << u"not both"_s;
    }
    void toolRefuses() {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        int status = 0;
        QString said;
        QVERIFY(tool(args, &status, &said).isEmpty());
        QCOMPARE(status, 2);
        QVERIFY2(said.contains(error), qPrintable(said));
        QVERIFY(!QFile::exists(u"a.csv"_s) && !QFile::exists(u"a.xlsx"_s));
    }
};

QTEST_MAIN(tst_gdaiexport)
#include "tst_gdaiexport.moc"
