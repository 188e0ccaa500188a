// Reading the settings document: hexadecimal layer, AES layer (checked against the openssl command
// line), trimming, the zero-byte cut, lower-casing and cutting the values out.
#include "config/configcipher.h"
#include "config/configdocument.h"
#include "config/configkey.h"
#include "config/eaeserror.h"
#include "config/econverterror.h"
#include "search/textbetween.h"

#include <QProcess>
#include <QTest>

class TestConfigDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hexToBytes_data();
    void hexToBytes();
    void keyIsNineAsciiCharactersZeroFilled();
    void agreesWithOpensslCommandLine();
    void cipherTextLengthRules_data();
    void cipherTextLengthRules();
    void documentValues();
    void documentTextAroundTheDigits();
    void zeroByteEndsThePlainText();
    void lowerCasingKeepsDoubleByteCharacters();
    void textBetweenEdges();
};

namespace {

const QByteArray kHeader("\x12\x34\x56\x78", 4);

QByteArray seal(const QByteArray& plain)
{
    return EncipherConfigText(plain, JoinConfigKey(), kHeader);
}

RemoteConfiguration parse(const QByteArray& plain)
{
    return ParseConfigDocument(seal(plain), JoinConfigKey());
}

QByteArray zeroFilled(QByteArray bytes)
{
    bytes.append((16 - bytes.size() % 16) % 16, '\0');
    return bytes;
}

// Runs `openssl enc -aes-128-ecb -nopad` in the given direction over `input`.
QByteArray openssl(const char* direction, const QByteArray& input)
{
    QProcess process;
    process.start(QStringLiteral("openssl"),
                  {QStringLiteral("enc"), QString::fromLatin1(direction), QStringLiteral("-aes-128-ecb"),
                   QStringLiteral("-nopad"), QStringLiteral("-K"),
                   QString::fromLatin1(ConfigCipherKey(JoinConfigKey()).toHex())});
    if (!process.waitForStarted())
        return "openssl did not start";
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished();
    if (process.exitCode() != 0)
        return "openssl failed: " + process.readAllStandardError();
    return process.readAllStandardOutput();
}

} // namespace

void TestConfigDocument::hexToBytes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("fails");
    QTest::newRow("empty") << QByteArray() << QByteArray() << false;
    QTest::newRow("both cases") << QByteArray("00fFaB7e") << QByteArray("\x00\xff\xab\x7e", 4) << false;
    QTest::newRow("odd last digit alone") << QByteArray("abc") << QByteArray("\xab\x0c") << false;
    QTest::newRow("single digit") << QByteArray("F") << QByteArray("\x0f") << false;
    QTest::newRow("not a digit") << QByteArray("0g") << QByteArray() << true;
    QTest::newRow("space inside") << QByteArray("00 11") << QByteArray() << true;
    QTest::newRow("line break inside") << QByteArray("0011\r\n2233") << QByteArray() << true;
    QTest::newRow("sign") << QByteArray("-1") << QByteArray() << true;
    QTest::newRow("prefix") << QByteArray("0x10") << QByteArray() << true;
    QTest::newRow("odd last character bad") << QByteArray("00z") << QByteArray() << true;
}

void TestConfigDocument::hexToBytes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, fails);
    if (fails)
        QVERIFY_THROWS_EXCEPTION(EConvertError, HexToBytes(text));
    else
        QCOMPARE(HexToBytes(text), bytes);
}

void TestConfigDocument::keyIsNineAsciiCharactersZeroFilled()
{
    const QByteArray key = JoinConfigKey();
    QCOMPARE(key.size(), 9);
    for (char c : key)
        QVERIFY(c > ' ' && c < 0x7f);
    QCOMPARE(ConfigCipherKey(key), key + QByteArray(7, '\0'));
    QCOMPARE(ConfigCipherKey(QByteArray(20, 'k')), QByteArray(16, 'k'));
}

void TestConfigDocument::agreesWithOpensslCommandLine()
{
    const QByteArray plain = "<Version>1.0.2.0</Version>\r\n<BulletinWord>\xb5\xe7\xd3\xb0</BulletinWord>\r\n";

    // Enciphered by openssl, read by the program (lower-case digits this time).
    const QByteArray byOpenssl = openssl("-e", zeroFilled(plain));
    QCOMPARE(byOpenssl.size(), zeroFilled(plain).size());
    const QByteArray document = (kHeader + byOpenssl).toHex();
    QCOMPARE(DecipherConfigText(document, JoinConfigKey()), zeroFilled(plain));
    QCOMPARE(ParseConfigDocument(document, JoinConfigKey()).BulletinWord, QByteArray("\xb5\xe7\xd3\xb0"));

    // Sealed by the program's (and the sealing tool's) code, opened by openssl.
    const QByteArray sealed = seal(plain);
    QVERIFY(sealed.startsWith("12345678"));
    QCOMPARE(openssl("-d", HexToBytes(sealed.mid(8))), zeroFilled(plain));

    // Another key gives other bytes, not an error.
    const QByteArray wrong = DecipherConfigText(sealed, "another");
    QCOMPARE(wrong.size(), zeroFilled(plain).size());
    QVERIFY(wrong != zeroFilled(plain));
}

void TestConfigDocument::cipherTextLengthRules_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("message");
    const QByteArray block(32, 'a');
    QTest::newRow("fewer than 4 bytes") << QByteArray("001122") << QString();
    QTest::newRow("header only") << QByteArray("00112233") << QStringLiteral("Invalid buffer size for decryption");
    QTest::newRow("15 bytes") << QByteArray("00112233") + block.left(30)
                              << QStringLiteral("Invalid buffer size for decryption");
    QTest::newRow("17 bytes") << QByteArray("00112233") + block + "ab"
                              << QStringLiteral("Invalid buffer size for decryption");
    QTest::newRow("odd digit makes 17") << QByteArray("00112233") + block + "a"
                                        << QStringLiteral("Invalid buffer size for decryption");
}

void TestConfigDocument::cipherTextLengthRules()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, message);
    try {
        DecipherConfigText(document, JoinConfigKey());
        QFAIL("no failure");
    } catch (const EAESError& error) {
        if (!message.isEmpty())
            QCOMPARE(QString::fromLatin1(error.what()), message);
    }
    // One whole block more is fine.
    QCOMPARE(DecipherConfigText(QByteArray("00112233") + QByteArray(32, 'a'), JoinConfigKey()).size(), 16);
}

void TestConfigDocument::documentValues()
{
    const QByteArray plain = "garbage before\r\n"
                             "<VERSION>1.0.2.0</VERSION><FrcUp>1</FrcUp>\r\n"
                             "<Version> 1.0.1.0</Version>\r\n" // the second one does not count
                             "<BulletinShow>show</BulletinShow><BulletinWord>Word\r\nTwo</BulletinWord>\r\n"
                             "<AdWebAdr>HTTP://Ad.Example/Path?Q=1</AdWebAdr>\r\n"
                             "</updateline2>\r\n"          // start tag missing, end tag present
                             "</Cldline1>x<Cldline1>y\r\n" // end tag before start tag
                             "<MtvAdr>m</MtvAdr><MtvAdr>n</MtvAdr>\r\n";
    const RemoteConfiguration config = parse(plain);
    QCOMPARE(config.Version, QByteArray("1.0.2.0"));
    QCOMPARE(config.FrcUp, QByteArray("1"));
    QCOMPARE(config.BulletinShow, QByteArray("show"));
    QCOMPARE(config.BulletinWord, QByteArray("word\r\ntwo")); // kept as it stands, lowered
    QCOMPARE(config.Bulletin, QByteArray());                  // not found inside <BulletinShow>
    QCOMPARE(config.AdWebAdr, QByteArray("http://ad.example/path?q=1"));
    QCOMPARE(config.MtvAdr, QByteArray("m"));
    QCOMPARE(config.Cldline1, QByteArray());
    QCOMPARE(config.updateline1, QByteArray()); // both tags missing
    // Missing start tag: from position length("<updateline2>") = 13 (counted from 1) to the end tag.
    const QByteArray lowered = plain.toLower();
    QCOMPARE(config.updateline2, lowered.mid(12, lowered.indexOf("</updateline2>") - 12));

    // A space before the version stays in the value.
    QCOMPARE(parse("<Version> 1.0.1.0</Version>").Version, QByteArray(" 1.0.1.0"));
    // "<bulletin>" is found on its own.
    QCOMPARE(parse("<BulletinShow>a</BulletinShow><Bulletin>b</Bulletin>").Bulletin, QByteArray("b"));
}

void TestConfigDocument::documentTextAroundTheDigits()
{
    const QByteArray plain = "<Version>1.0.2.0</Version>";
    const QByteArray digits = seal(plain);
    // Either case, blanks and control characters around the run, and anything after a zero byte.
    for (const QByteArray& body :
         {digits.toLower(), " \t\r\n" + digits + "\r\n\x01 ", digits + QByteArray("\0trailing junk", 14)}) {
        QCOMPARE(ParseConfigDocument(body, JoinConfigKey()).Version, QByteArray("1.0.2.0"));
    }
    // One line break inside the run spoils the whole document.
    QByteArray broken = digits;
    broken.insert(20, "\r\n");
    QVERIFY_THROWS_EXCEPTION(EConvertError, ParseConfigDocument(broken, JoinConfigKey()));
    QVERIFY_THROWS_EXCEPTION(std::exception, ParseConfigDocument("<html>error</html>", JoinConfigKey()));
    QVERIFY_THROWS_EXCEPTION(EAESError, ParseConfigDocument(digits.left(digits.size() - 2), JoinConfigKey()));
}

void TestConfigDocument::zeroByteEndsThePlainText()
{
    const QByteArray plain("<Version>1.0.2.0</Version>\0<FrcUp>1</FrcUp>", 43);
    const RemoteConfiguration config = parse(plain);
    QCOMPARE(config.Version, QByteArray("1.0.2.0"));
    QCOMPARE(config.FrcUp, QByteArray());
    // A text that fills its last block exactly has no zero byte at all.
    const QByteArray exact = "<FrcUp>0</FrcUp><Version>9</Version>" + QByteArray(12, ' ');
    QCOMPARE(exact.size() % 16, 0);
    QCOMPARE(parse(exact).Version, QByteArray("9"));
}

void TestConfigDocument::lowerCasingKeepsDoubleByteCharacters()
{
    // 0x81 0x41 and 0xB0 0x5A are double-byte characters whose second byte looks like "A" / "Z".
    const QByteArray word("AB\x81\x41\xb0\x5a\xb5\xe7"
                          "Cd");
    QCOMPARE(LowerAsciiLetters(word), QByteArray("ab\x81\x41\xb0\x5a\xb5\xe7"
                                                 "cd"));
    QCOMPARE(parse("<BulletinWord>" + word + "</BulletinWord>").BulletinWord, QByteArray("ab\x81\x41\xb0\x5a\xb5\xe7"
                                                                                         "cd"));
    // A lead byte at the very end stays as it is.
    QCOMPARE(LowerAsciiLetters("A\x81"), QByteArray("a\x81"));
}

void TestConfigDocument::textBetweenEdges()
{
    QCOMPARE(TextBetween("a<Version>1.2</Version>b", "<Version>", "</Version>"), QByteArray("1.2"));
    QCOMPARE(TextBetween("a<Version>1.2</Version>b", "</Version>", "<Version>"), QByteArray());
    QCOMPARE(TextBetween("<VERSION>Mixed</version>", "<version>", "</VERSION>"), QByteArray("Mixed"));
    QCOMPARE(TextBetween("", "<a>", "</a>"), QByteArray());
    QCOMPARE(TextBetween("<a>unterminated", "<a>", "</a>"), QByteArray());
    // Start marker missing: s counts as 0, the value starts at position length(start).
    QCOMPARE(TextBetween("0123456789</a>", "<a>", "</a>"), QByteArray("23456789"));
    // Start marker right before the end marker: nothing in between.
    QCOMPARE(TextBetween("<a></a>", "<a>", "</a>"), QByteArray());
    // A marker never matches from the second byte of a double-byte character (0x81 0x41 is one).
    QCOMPARE(TextBetween("\x81"
                         "Ab=1&ab=2;",
                         "ab=", ";"),
             QByteArray("2"));
    QCOMPARE(TextBetween("\xb5\xe7<a>\xd3\xb0</a>", "<a>", "</a>"), QByteArray("\xd3\xb0"));
}

QTEST_GUILESS_MAIN(TestConfigDocument)
#include "test_configdocument.moc"
