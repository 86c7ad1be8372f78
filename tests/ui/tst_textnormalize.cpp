#include "ui/basTextNormalize.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestTextNormalize : public QObject {
    Q_OBJECT

private slots:
    void toNumber_data();
    void toNumber();
    void characterClasses_data();
    void characterClasses();
    void splitName_data();
    void splitName();
    void splitNameConsumesBrackets();
};

void TestTextNormalize::toNumber_data() {
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
    QTest::newRow("leading point") << u".5"_s << true << false << 0.5;
    QTest::newRow("minus and leading point") << u"-.5"_s << true << true << -0.5;
    QTest::newRow("second point dropped") << u"1.2.3"_s << true << false << 1.23;
    QTest::newRow("full-width digits dropped") << u"１２３"_s << false << false << 0.0;
    QTest::newRow("blanks dropped") << u" 1 2 "_s << false << false << 12.0;
    QTest::newRow("minus not allowed") << u"-7"_s << false << false << 7.0;
}

void TestTextNormalize::toNumber() {
    QFETCH(QString, text);
    QFETCH(bool, decimals);
    QFETCH(bool, minus);
    QFETCH(double, expected);
    QCOMPARE(fnToNumber(text, decimals, minus), expected);
}

void TestTextNormalize::characterClasses_data() {
    QTest::addColumn<QChar>("c");
    QTest::addColumn<bool>("hiragana");
    QTest::addColumn<bool>("katakana");
    QTest::addColumn<bool>("alphabet");

    QTest::newRow("あ") << QChar(u'あ') << true << false << false;
    QTest::newRow("ん") << QChar(u'ん') << true << false << false;
    QTest::newRow("small a is outside") << QChar(u'ぁ') << false << false << false;
    QTest::newRow("blank") << QChar(u' ') << true << false << false;
    QTest::newRow("ideographic space") << QChar(u'　') << true << false << false;
    QTest::newRow("full-width !") << QChar(u'！') << true << false << false;
    QTest::newRow("slash") << QChar(u'/') << true << false << false;
    QTest::newRow("note") << QChar(u'♪') << true << false << false;
    QTest::newRow("middle dot") << QChar(u'・') << true << false << false;
    QTest::newRow("half-width middle dot") << QChar(u'･') << true << false << false;
    QTest::newRow("comma") << QChar(u'、') << true << false << false;
    QTest::newRow("ア") << QChar(u'ア') << false << true << false;
    QTest::newRow("ン") << QChar(u'ン') << false << true << false;
    QTest::newRow("small ァ") << QChar(u'ァ') << false << true << false;
    QTest::newRow("ヴ") << QChar(u'ヴ') << false << true << false;
    QTest::newRow("small ヵ is outside") << QChar(u'ヵ') << false << false << false;
    QTest::newRow("half-width ｱ") << QChar(u'ｱ') << false << true << false;
    QTest::newRow("half-width ﾝ") << QChar(u'ﾝ') << false << true << false;
    QTest::newRow("half-width small ｧ") << QChar(u'ｧ') << false << true << false;
    QTest::newRow("half-width ｦ is outside") << QChar(u'ｦ') << false << false << false;
    QTest::newRow("voicing mark") << QChar(u'ﾞ') << false << true << false;
    QTest::newRow("long vowel") << QChar(u'ー') << false << true << false;
    QTest::newRow("hyphen") << QChar(u'-') << false << true << false;
    QTest::newRow("full-width minus") << QChar(u'－') << false << true << false;
    QTest::newRow("A") << QChar(u'A') << false << false << true;
    QTest::newRow("z") << QChar(u'z') << false << false << true;
    QTest::newRow("full-width Ａ") << QChar(u'Ａ') << false << false << true;
    QTest::newRow("full-width ｚ") << QChar(u'ｚ') << false << false << true;
    QTest::newRow("at sign") << QChar(u'@') << false << false << false;
    QTest::newRow("bracket after Z") << QChar(u'[') << false << false << false;
    QTest::newRow("digit") << QChar(u'7') << false << false << false;
    QTest::newRow("kanji") << QChar(u'牛') << false << false << false;
}

void TestTextNormalize::characterClasses() {
    QFETCH(QChar, c);
    QFETCH(bool, hiragana);
    QFETCH(bool, katakana);
    QFETCH(bool, alphabet);
    QCOMPARE(fnIsHiragana(c), hiragana);
    QCOMPARE(fnIsKatakana(c), katakana);
    QCOMPARE(fnIsAlphabet(c), alphabet);
}

void TestTextNormalize::splitName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("words");

    QTest::newRow("brackets, hiragana, katakana, number")
        << u"【特価】りんごジュース(500)"_s << QStringList{u"特価"_s, u"りんご"_s, u"ジュース"_s, u"500"_s};
    QTest::newRow("bracketed digit and letter") << u"(1A)"_s << QStringList{u"1"_s, u"A"_s};
    QTest::newRow("digits only") << u"123456"_s << QStringList{u"123456"_s};
    QTest::newRow("hiragana only") << u"りんご"_s << QStringList{u"りんご"_s};
    QTest::newRow("katakana only") << u"ジュース"_s << QStringList{u"ジュース"_s};
    QTest::newRow("Latin between kanji") << u"特選ABC牛肉"_s << QStringList{u"特選"_s, u"ABC"_s, u"牛肉"_s};
    QTest::newRow("particle dropped") << u"牛肉の特価"_s << QStringList{u"牛肉"_s, u"特価"_s};
    QTest::newRow("two Latin words") << u"ABC DEF"_s << QStringList{u"ABC"_s, u"DEF"_s};
    QTest::newRow("Latin then hiragana") << u"ABCりんご"_s << QStringList{u"ABC"_s, u"りんご"_s};
    QTest::newRow("hiragana then Latin") << u"りんごABC"_s << QStringList{u"りんご"_s, u"ABC"_s};
    QTest::newRow("digits letters digits") << u"12AB34"_s << QStringList{u"12"_s, u"AB"_s, u"34"_s};
    QTest::newRow("square brackets") << u"[ABC]牛肉"_s << QStringList{u"ABC"_s, u"牛肉"_s};
    QTest::newRow("corner brackets") << u"「新物」牛肉"_s << QStringList{u"新物"_s, u"牛肉"_s};
    QTest::newRow("full-width parentheses") << u"牛肉（国産）"_s << QStringList{u"牛肉"_s, u"国産"_s};
    QTest::newRow("two pieces of one pair")
        << u"(大)牛肉(冷凍)"_s << QStringList{u"大"_s, u"牛肉"_s, u"冷凍"_s};
    QTest::newRow("opening sign alone") << u"【特価牛肉"_s << QStringList{u"【特価牛肉"_s};
    QTest::newRow("closing sign alone") << u"特価】牛肉"_s << QStringList{u"特価】牛肉"_s};
    QTest::newRow("reversed signs") << u"】特価【牛肉"_s << QStringList{u"】特価【牛肉"_s};
    QTest::newRow("reversed then balanced") << u")牛(肉)"_s << QStringList{u")牛"_s, u"肉"_s};
    QTest::newRow("nested signs") << u"((牛))"_s << QStringList{u"牛"_s, u")"_s};
    QTest::newRow("leading long vowel removed") << u"ーー牛肉"_s << QStringList{u"牛肉"_s};
    QTest::newRow("full-width blank is no word") << u"ABC　DEF"_s << QStringList{u"ABC"_s, u"DEF"_s};
    QTest::newRow("empty") << QString() << QStringList{};
    QTest::newRow("blanks only") << u"   "_s << QStringList{};
}

void TestTextNormalize::splitName() {
    QFETCH(QString, name);
    QFETCH(QStringList, words);
    QStringList result{u"left over"_s};
    const int count = fnSplitName(name, result);
    QCOMPARE(result, words);
    QCOMPARE(count, int(words.size()));
}

void TestTextNormalize::splitNameConsumesBrackets() {
    QString name = u"【特価】りんご(500)"_s;
    QStringList words;
    fnSplitName(name, words);
    QCOMPARE(name, u"りんご"_s);
}

QTEST_MAIN(TestTextNormalize)
#include "tst_textnormalize.moc"
