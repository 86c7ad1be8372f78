#include "DataRows.h"
#include "ui/basTextNormalize.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// Words are written blank-separated: no expected word holds a blank.
static void split(const char* name, const QString& text, const QString& words, const QString& rest = {}) {
    QTest::newRow(name) << text << words.split(u' ', Qt::SkipEmptyParts) << rest;
}

class TestTextNormalize : public QObject, DataRows {
    Q_OBJECT

private slots:
    void toNumber_data() {
        cols<QString, bool, bool, double>("text", "decimals", "minus", "expected");
        row("thousands separators", "1,234", false, false, 1234.0);
        row("unit and sign, both allowed", "-12.5kg", true, true, -12.5);
        row("sign and point, neither allowed", "-12.5", false, false, 125.0);
        row("minus after a letter", "a-5", false, true, -5.0);
        row("minus inside", "1-2", false, true, 12.0);
        row("empty", "", true, true, 0.0);
        row("minus alone", "-", true, true, 0.0);
        row("point alone", ".", true, false, 0.0);
        row("minus and leading point", "-.5", true, true, -0.5);
        row("second point dropped", "1.2.3", true, false, 1.23);
        row("full-width digits dropped", "１２３", false, false, 0.0);
    }
    void toNumber() {
        QTEST(fnToNumber(fetch<QString>("text"), fetch<bool>("decimals"), fetch<bool>("minus")), "expected");
    }

    // Each character belongs to its own class and to no other.
    void characterClasses() {
        const QStringList classes{u"あん 　！/♪・･、"_s, u"アンァヴｱﾝｧﾞー-－"_s, u"AzＡｚ"_s,
                                  u"ぁヵｦ@[7牛"_s};
        for (int k = 0; k < classes.size(); ++k)
            for (const QChar c : classes[k])
                QVERIFY2((QList<bool>{fnIsHiragana(c), fnIsKatakana(c), fnIsAlphabet(c)}) ==
                             (QList<bool>{k == 0, k == 1, k == 2}),
                         qPrintable(QString(c)));
    }

    void splitName_data() {
        cols<QString, QStringList, QString>("name", "words",
                                            "rest"); // rest: what is left of the name, when checked
        split("brackets, hiragana, katakana, number", u"【特価】りんごジュース(500)"_s,
              u"特価 りんご ジュース 500"_s, u"りんごジュース"_s);
        split("bracketed digit and letter", u"(1A)"_s, u"1 A"_s);
        split("digits only", u"123456"_s, u"123456"_s);
        split("hiragana only", u"りんご"_s, u"りんご"_s);
        split("Latin between kanji", u"特選ABC牛肉"_s, u"特選 ABC 牛肉"_s);
        split("particle dropped", u"牛肉の特価"_s, u"牛肉 特価"_s);
        split("two Latin words", u"ABC DEF"_s, u"ABC DEF"_s);
        split("Latin then hiragana", u"ABCりんご"_s, u"ABC りんご"_s);
        split("hiragana then Latin", u"りんごABC"_s, u"りんご ABC"_s);
        split("digits letters digits", u"12AB34"_s, u"12 AB 34"_s);
        split("square brackets", u"[ABC]牛肉"_s, u"ABC 牛肉"_s);
        split("corner brackets", u"「新物」牛肉"_s, u"新物 牛肉"_s);
        split("full-width parentheses", u"牛肉（国産）"_s, u"牛肉 国産"_s);
        split("two pieces of one pair", u"(大)牛肉(冷凍)"_s, u"大 牛肉 冷凍"_s);
        split("opening sign alone", u"【特価牛肉"_s, u"【特価牛肉"_s);
        split("closing sign alone", u"特価】牛肉"_s, u"特価】牛肉"_s);
        split("reversed signs", u"】特価【牛肉"_s, u"】特価【牛肉"_s);
        split("reversed then balanced", u")牛(肉)"_s, u")牛 肉"_s);
        split("nested signs", u"((牛))"_s, u"牛 )"_s);
        split("leading long vowel removed", u"ーー牛肉"_s, u"牛肉"_s);
        split("full-width blank is no word", u"ABC　DEF"_s, u"ABC DEF"_s);
        split("empty", QString(), QString());
        split("blanks only", u"   "_s, QString());
    }
    void splitName() {
        QString name = fetch<QString>("name");
        const QStringList words = fetch<QStringList>("words");
        const QString rest = fetch<QString>("rest");
        QStringList result{u"left over"_s};
        QCOMPARE(fnSplitName(name, result), int(words.size()));
        QCOMPARE(result, words);
        if (!rest.isNull()) QCOMPARE(name, rest); // the bracketed pieces are taken out of the name
    }
};

QTEST_MAIN(TestTextNormalize)
#include "tst_textnormalize.moc"
