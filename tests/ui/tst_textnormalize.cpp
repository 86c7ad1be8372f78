#include "ui/basTextNormalize.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// Words are written blank-separated: no expected word holds a blank.
static void split(const char* name, const QString& text, const QString& words, const QString& rest = {}) {
    QTest::newRow(name) << text << words.split(u' ', Qt::SkipEmptyParts) << rest;
}

class TestTextNormalize : public QObject {
    Q_OBJECT

private slots:
    void toNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("decimals");
        QTest::addColumn<bool>("minus");
        QTest::addColumn<double>("expected");
        QTest::newRow("thousands separators") << u"1,234"_s << false << false << 1234.0;
        QTest::newRow("unit and sign, both allowed") << u"-12.5kg"_s << true << true << -12.5;
        QTest::newRow("sign and point, neither allowed") << u"-12.5"_s << false << false << 125.0;
        QTest::newRow("minus after a letter") << u"a-5"_s << false << true << -5.0;
        QTest::newRow("minus inside") << u"1-2"_s << false << true << 12.0;
        QTest::newRow("empty") << QString() << true << true << 0.0;
        QTest::newRow("minus alone") << u"-"_s << true << true << 0.0;
        QTest::newRow("point alone") << u"."_s << true << false << 0.0;
        QTest::newRow("minus and leading point") << u"-.5"_s << true << true << -0.5;
        QTest::newRow("second point dropped") << u"1.2.3"_s << true << false << 1.23;
        QTest::newRow("full-width digits dropped") << u"１２３"_s << false << false << 0.0;
    }
    void toNumber() {
        QFETCH(QString, text);
        QFETCH(bool, decimals);
        QFETCH(bool, minus);
        QTEST(fnToNumber(text, decimals, minus), "expected");
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
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("rest"); // what is left of the name, when checked
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
        QFETCH(QString, name);
        QFETCH(QStringList, words);
        QFETCH(QString, rest);
        QStringList result{u"left over"_s};
        QCOMPARE(fnSplitName(name, result), int(words.size()));
        QCOMPARE(result, words);
        if (!rest.isNull()) QCOMPARE(name, rest); // the bracketed pieces are taken out of the name
    }
};

QTEST_MAIN(TestTextNormalize)
#include "tst_textnormalize.moc"
