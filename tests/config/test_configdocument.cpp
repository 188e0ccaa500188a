// Reading the settings document: hexadecimal layer, AES layer (checked against the openssl command
// line), trimming, the zero-byte cut, lower-casing and cutting the values out.
#include "config/configcipher.h"
#include "config/configdocument.h"
#include "config/configkey.h"
#include "config/eaeserror.h"
#include "config/econverterror.h"
#include "config/remoteconfiguration.h"
#include "config/settingsview.h"
#include "platform/codepage.h"
#include "services/textbetween.h"
#include "testmain.h"

#include <QProcess>
#include <QTest>

class TestConfigDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hexToBytes();
    void agreesWithOpensslCommandLine();
    void aesKnownAnswer();
    void cipherTextLengthRules();
    void documentValues();
    void documentTextAroundTheDigits();
    void zeroByteAndDoubleByteCharacters();
    void textBetweenEdges();
    void settingsViewRules_data();
    void settingsViewRules();
};

namespace {

const QByteArray kHeader("\x12\x34\x56\x78", 4);

RemoteConfiguration parse(const QByteArray& plain)
{
    return parseConfigDocument(encipherConfigText(plain, joinConfigKey(), kHeader), joinConfigKey());
}

QByteArray zeroFilled(QByteArray bytes)
{
    return bytes.append((16 - bytes.size() % 16) % 16, '\0');
}

// `openssl enc -aes-128-ecb -nopad` in the given direction, keyed with the key text zero-filled.
QByteArray openssl(const char* direction, const QByteArray& input)
{
    const QString key = QString::fromLatin1(joinConfigKey().toHex()).leftJustified(32, QLatin1Char('0'));
    QProcess process;
    process.start(QStringLiteral("openssl"),
                  {QStringLiteral("enc"), QString::fromLatin1(direction), QStringLiteral("-aes-128-ecb"),
                   QStringLiteral("-nopad"), QStringLiteral("-K"), key});
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished();
    return process.exitCode() == 0 ? process.readAllStandardOutput() : "openssl failed";
}

} // namespace

void TestConfigDocument::hexToBytes()
{
    QCOMPARE(HexToBytes(""), QByteArray());
    QCOMPARE(HexToBytes("00fFaB7e"), QByteArray("\x00\xff\xab\x7e", 4));
    QCOMPARE(HexToBytes("abc"), QByteArray("\xab\x0c")); // odd last digit alone
    for (const char* bad : {"0g", "00 11", "0011\r\n2233", "-1", "0x10", "00z"})
        QVERIFY_THROWS_EXCEPTION(EConvertError, HexToBytes(bad));
}

void TestConfigDocument::agreesWithOpensslCommandLine()
{
#ifdef Q_OS_WIN
    QSKIP("no openssl command under Wine; aesKnownAnswer checks the system's cipher");
#endif
    QCOMPARE(joinConfigKey().size(), 9);
    const QByteArray plain = "<Version>1.0.2.0</Version>\r\n<BulletinWord>\xb5\xe7\xd3\xb0</BulletinWord>\r\n";

    // Enciphered by openssl, read by the program (lower-case digits this time).
    const QByteArray document = (kHeader + openssl("-e", zeroFilled(plain))).toHex();
    QCOMPARE(DecipherConfigText(document, joinConfigKey()), zeroFilled(plain));
    QCOMPARE(parseConfigDocument(document, joinConfigKey()).BulletinWord, QByteArray("\xb5\xe7\xd3\xb0"));

    // Sealed by the program's (and the sealing tool's) code, opened by openssl.
    const QByteArray sealed = encipherConfigText(plain, joinConfigKey(), kHeader);
    QVERIFY(sealed.startsWith("12345678"));
    QCOMPARE(openssl("-d", HexToBytes(sealed.mid(8))), zeroFilled(plain));

    // Another key gives other bytes, not an error.
    QVERIFY(DecipherConfigText(sealed, "another") != zeroFilled(plain));
}

// The AES-128 example of FIPS-197 (appendix C.1): the same on every platform's cipher.
void TestConfigDocument::aesKnownAnswer()
{
    const QByteArray key = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
    const QByteArray plain = QByteArray::fromHex("00112233445566778899aabbccddeeff");
    const QByteArray cipher = QByteArray::fromHex("69c4e0d86a7b0430d8cdb78070b4c55a");
    QCOMPARE(encipherConfigText(plain + plain, key, kHeader), (kHeader + cipher + cipher).toHex().toUpper());
    QCOMPARE(DecipherConfigText((kHeader + cipher).toHex(), key), plain);
}

void TestConfigDocument::cipherTextLengthRules()
{
    const QByteArray header("00112233");
    const QByteArray block(32, 'a');
    QVERIFY_THROWS_EXCEPTION(EAESError, DecipherConfigText("001122", joinConfigKey()));
    for (const QByteArray& document : {header, header + block.left(30), header + block + "ab", header + block + "a"}) {
        try {
            DecipherConfigText(document, joinConfigKey());
            QFAIL(document.constData());
        } catch (const EAESError& error) {
            QCOMPARE(QByteArray(error.what()), QByteArray("Invalid buffer size for decryption"));
        }
    }
    QCOMPARE(DecipherConfigText(header + block, joinConfigKey()).size(), 16);
}

void TestConfigDocument::documentValues()
{
    const QByteArray plain = "garbage before\r\n"
                             "<VERSION>1.0.2.0</VERSION><FrcUp>1</FrcUp>\r\n"
                             "<Version> 1.0.1.0</Version>\r\n" // the second one does not count
                             "<BulletinShow>show</BulletinShow><BulletinWord>Word\r\nTwo</BulletinWord>\r\n"
                             "<AdWebAdr>HTTP://Ad.Example/Path?Q=1</AdWebAdr>\r\n"
                             "</updateline2>\r\n"           // start tag missing, end tag present
                             "</Cldline1>x<Cldline1>y\r\n"; // end tag before start tag
    const RemoteConfiguration config = parse(plain);
    QCOMPARE(config.Version, QByteArray("1.0.2.0"));
    QCOMPARE(config.FrcUp, QByteArray("1"));
    QCOMPARE(config.BulletinShow, QByteArray("show"));
    QCOMPARE(config.BulletinWord, QByteArray("word\r\ntwo")); // as it stands, lowered
    QCOMPARE(config.Bulletin, QByteArray());                  // not found inside <BulletinShow>
    QCOMPARE(config.AdWebAdr, QByteArray("http://ad.example/path?q=1"));
    QCOMPARE(config.Cldline1, QByteArray());
    QCOMPARE(config.updateline1, QByteArray()); // both tags missing
    // Missing start tag: from position length("<updateline2>") = 13 (counted from 1) to the end tag.
    const QByteArray lowered = plain.toLower();
    QCOMPARE(config.updateline2, lowered.mid(12, lowered.indexOf("</updateline2>") - 12));
    QCOMPARE(parse("<BulletinShow>a</BulletinShow><Bulletin>b</Bulletin>").Bulletin, QByteArray("b"));
}

void TestConfigDocument::documentTextAroundTheDigits()
{
    const QByteArray digits = encipherConfigText("<Version>1.0.2.0</Version>", joinConfigKey(), kHeader);
    // Either case, blanks and control characters around the run, anything after a zero byte.
    for (const QByteArray& body :
         {digits.toLower(), " \t\r\n" + digits + "\r\n\x01 ", digits + QByteArray("\0trailing junk", 14)})
        QCOMPARE(parseConfigDocument(body, joinConfigKey()).Version, QByteArray("1.0.2.0"));
    // One line break inside the run spoils the whole document.
    QVERIFY_THROWS_EXCEPTION(EConvertError,
                             parseConfigDocument(digits.left(20) + "\r\n" + digits.mid(20), joinConfigKey()));
    QVERIFY_THROWS_EXCEPTION(EConvertError, parseConfigDocument("<html>error</html>", joinConfigKey()));
    QVERIFY_THROWS_EXCEPTION(EAESError, parseConfigDocument(digits.chopped(2), joinConfigKey()));
    // At the boundary the same failures come back as values, with their text.
    QCOMPARE(readConfigDocument(digits, joinConfigKey()).value().Version, QByteArray("1.0.2.0"));
    const Expected<RemoteConfiguration> wrong = readConfigDocument(digits.chopped(2), joinConfigKey());
    QVERIFY(!wrong.ok());
    QCOMPARE(wrong.error(), QStringLiteral("Invalid buffer size for decryption"));
    QVERIFY(!readConfigDocument("<html>error</html>", joinConfigKey()).error().isEmpty());
}

void TestConfigDocument::zeroByteAndDoubleByteCharacters()
{
    const RemoteConfiguration config = parse(QByteArray("<Version>1.0.2.0</Version>\0<FrcUp>1</FrcUp>", 43));
    QCOMPARE(config.Version, QByteArray("1.0.2.0"));
    QCOMPARE(config.FrcUp, QByteArray()); // lost after the zero byte
    // A text that fills its last block exactly has no zero byte at all.
    QCOMPARE(parse("<FrcUp>0</FrcUp><Version>9</Version>" + QByteArray(12, ' ')).Version, QByteArray("9"));

    // 0x81 0x41 and 0xB0 0x5A are double-byte characters whose second byte looks like "A" / "Z".
    const QByteArray lowered("ab\x81\x41\xb0\x5a\xb5\xe7"
                             "cd");
    QCOMPARE(parse("<BulletinWord>AB\x81\x41\xb0\x5a\xb5\xe7"
                   "Cd</BulletinWord>")
                 .BulletinWord,
             lowered);
    QCOMPARE(lowerAsciiLetters("A\x81"), QByteArray("a\x81")); // a lead byte at the very end stays
}

void TestConfigDocument::textBetweenEdges()
{
    QCOMPARE(TextBetween("a<Version>1.2</Version>b", "</Version>", "<Version>"), QByteArray());
    QCOMPARE(TextBetween("<VERSION>Mixed</version>", "<version>", "</VERSION>"), QByteArray("Mixed"));
    QCOMPARE(TextBetween("<a>unterminated", "<a>", "</a>"), QByteArray());
    QCOMPARE(TextBetween("0123456789</a>", "<a>", "</a>"), QByteArray("23456789")); // s counts as 0
    // A marker never matches from the second byte of a double-byte character (0x81 0x41 is one).
    QCOMPARE(TextBetween("\x81"
                         "Ab=1&ab=2;",
                         "ab=", ";"),
             QByteArray("2"));
}

void TestConfigDocument::settingsViewRules_data()
{
    // One raw value read as a switch, as a switch's address, as the update flag and as a decimal.
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("set");
    QTest::addColumn<std::optional<int>>("decimal");
    QTest::addColumn<bool>("marksVoluntary"); // an update flag of exactly "0"
    QTest::newRow("empty") << QByteArray() << false << std::optional<int>() << false;
    QTest::newRow("zero") << QByteArray("0") << false << std::optional<int>(0) << true;
    QTest::newRow("zeros") << QByteArray("00") << true << std::optional<int>(0) << false;
    QTest::newRow("number with blanks") << QByteArray(" 120\r\n") << true << std::optional<int>(120) << false;
    QTest::newRow("negative") << QByteArray("-5") << true << std::optional<int>() << false;
    QTest::newRow("not a number") << QByteArray("12px") << true << std::optional<int>() << false;
    QTest::newRow("address") << QByteArray("http://m.example/\xb5\xe7") << true << std::optional<int>() << false;
}

void TestConfigDocument::settingsViewRules()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, set);
    QFETCH(std::optional<int>, decimal);
    QFETCH(bool, marksVoluntary);
    using Source = SettingsView::Switched::Source;
    const QString text = CodePage::fromGbk(value);

    const SettingsView::Switched asSwitch = SettingsView::switchedAddress(value, "http://set.example/");
    QCOMPARE(asSwitch.source, set ? Source::Address : Source::BuiltIn);
    QCOMPARE(asSwitch.pageOr(QStringLiteral("built-in")),
             set ? QStringLiteral("http://set.example/") : QStringLiteral("built-in"));
    const SettingsView::Switched asAddress = SettingsView::switchedAddress("1", value);
    QCOMPARE(asAddress.source, set ? Source::Address : Source::Nothing);
    QCOMPARE(asAddress.pageOr(QStringLiteral("built-in")), set ? text : QString()); // never the built-in page

    RemoteConfiguration record;
    record.FrcUp = value;
    record.AdpnlHeight = value;
    record.updateline2 = value;
    record.BulletinWord = value;
    record.CloudDef = "1";
    record.Cldline1 = value;
    record.SearchSites = value;
    const SettingsView view(record);
    QCOMPARE(view.forcedUpdate(), set);
    QCOMPARE(view.updateMarkedVoluntary(), marksVoluntary);
    QCOMPARE(view.advertisementHeight().set, set);
    QCOMPARE(view.advertisementHeight().value, decimal);
    QCOMPARE(view.mirrorPage(2), set ? std::optional<QString>(text) : std::nullopt);
    QCOMPARE(view.mirrorPage(4), std::optional<QString>());
    QCOMPARE(view.keywordBoxWord(), marksVoluntary ? std::nullopt : std::optional<QString>(text));
    QCOMPARE(view.remoteLineBase(1), set ? std::optional<QByteArray>(value) : std::nullopt);
    QCOMPARE(view.searchMirrors(), set ? QList<QByteArray>{value.trimmed()} : QList<QByteArray>());
    // Several mirrors: in order, blanks around each and unset entries left out.
    record.SearchSites = value + "| http://b.example |0||" + value;
    const QList<QByteArray> mirrors = set ? QList<QByteArray>{value.trimmed(), "http://b.example", value.trimmed()}
                                          : QList<QByteArray>{"http://b.example"};
    QCOMPARE(SettingsView(record).searchMirrors(), mirrors);
}

QUVO_TEST_GUILESS_MAIN(TestConfigDocument)
#include "test_configdocument.moc"
