// The usage declaration window: acceptance record, countdown, agree/disagree, the text box.
#include "app/tformdeclare.h"
#include "app/tformmain.h"
#include "app/tmemo.h"
#include "platform/registry.h"
#include "platform/testhooks.h"
#include "services/lifecycle.h"
#include "services/sites.h"
#include "services/windowrefs.h"
#include "testmain.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {
const QString kKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\qorvex");

QCheckBox* box(const TFormDeclare& form)
{
    return control<QCheckBox>(&form, "chkagreea");
}

QPushButton* agree(const TFormDeclare& form)
{
    return control<QPushButton>(&form, "btnagreea");
}

void clickBox(TFormDeclare& form)
{
    QTest::mouseClick(box(form), Qt::LeftButton, {}, QPoint(5, box(form)->height() / 2));
}

// Ticks the box and waits for the countdown to enable "我同意"; returns how long that took.
qint64 tickAndWait(TFormDeclare& form)
{
    QElapsedTimer clock;
    clock.start();
    clickBox(form);
    [&] { QTRY_VERIFY_WITH_TIMEOUT(agree(form)->isEnabled(), 3000); }();
    return clock.elapsed();
}

QString storedRecord(bool* found = nullptr)
{
    return Registry::readString(kKey, QStringLiteral("Agreement"), found);
}
} // namespace

class TestDeclaration : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void declarationText();
    void onlyTheExactRecordCountsAsAccepted_data();
    void onlyTheExactRecordCountsAsAccepted();
    void countdownThenAgreeOpensOneMainWindow();
    void disagreeAndCloseEndTheProgram();
    void unwritableStoreReportsAndOpensNothing_data();
    void unwritableStoreReportsAndOpensNothing();
    void textCannotBeCopiedOrGetAMenu();
};

void TestDeclaration::initTestCase()
{
    // The main window asks for its settings a second after it opens: keep that local and refused.
    qputenv("QUVO_PRODUCT_SERVER", "http://127.0.0.1:9");
    qputenv("QUVO_SEARCH_SITE", "http://127.0.0.1:9");
    MessageBoxes::setApplicationTitle(Sites::applicationTitle()); // as the program's start does
}

void TestDeclaration::cleanup()
{
    delete Formmain.data();
    delete FormDeclare.data();
    testHooks().endProgram = {};
}

void TestDeclaration::declarationText()
{
    const QString text = TFormDeclare::declarationText();
    const QStringList lines = text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 75);
    QCOMPARE(lines[0], QStringLiteral("提示：部分杀软可能会报毒，请添加信任或关闭或删除本软件，"));
    QCOMPARE(lines[1], QString());
    for (int i = 2; i < lines.size(); ++i)
        QVERIFY2(lines[i].isEmpty() || lines[i].startsWith(QStringLiteral("　　")), qPrintable(lines[i]));
    QVERIFY(text.contains(QStringLiteral("QV盒子")));
    QVERIFY(text.contains(Sites::contactAddress()));
    QVERIFY(text.contains(Sites::microblogAddress()));
}

void TestDeclaration::onlyTheExactRecordCountsAsAccepted_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("first run") << false << kKey << QString() << false;
    QTest::newRow("exact") << true << kKey << QStringLiteral("1.0.0") << true;
    QTest::newRow("trailing blank") << true << kKey << QStringLiteral("1.0.0 ") << false;
    QTest::newRow("other version") << true << kKey << QStringLiteral("1.0.1") << false;
    // Where an ordinary Windows user's acceptance goes (no rights to HKEY_LOCAL_MACHINE).
    const QString perUser = QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\qorvex");
    QTest::newRow("per user") << true << perUser << QStringLiteral("1.0.0") << true;
    QTest::newRow("per user, other version") << true << perUser << QStringLiteral("1.0.1") << false;
}

void TestDeclaration::onlyTheExactRecordCountsAsAccepted()
{
    QFETCH(bool, stored);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    TemporaryRegistry registry;
    if (stored)
        registry.set(key, QStringLiteral("Agreement"), value);
    QElapsedTimer clock;
    clock.start();
    FormDeclare = new TFormDeclare;
    QCOMPARE(FormDeclare->isVisible(), !accepted);
    if (accepted) {
        // Half a second later the main window opens and the declaration goes.
        QTRY_VERIFY_WITH_TIMEOUT(Formmain, 3000);
        QVERIFY(clock.elapsed() >= 450);
        QVERIFY(Formmain->isVisible());
        QTRY_VERIFY(!FormDeclare);
        return;
    }
    QVERIFY(!agree(*FormDeclare)->isEnabled());
    QCOMPARE(agree(*FormDeclare)->text(), QStringLiteral("我同意"));
    QTest::qWait(700); // longer than agreeing takes to open the main window: none opens
    QVERIFY(!Formmain);
    QCOMPARE(Registry::readString(key, QStringLiteral("Agreement")), value); // showing it records nothing
}

void TestDeclaration::countdownThenAgreeOpensOneMainWindow()
{
    TemporaryRegistry registry;
    registry.set(kKey, QStringLiteral("Agreement"), QStringLiteral("0.9"));
    MessageBoxRecorder boxes;
    FormDeclare = new TFormDeclare;
    TFormDeclare& form = *FormDeclare;

    QVERIFY(tickAndWait(form) >= 900); // not before the first tick of the countdown
    QCOMPARE(agree(form)->text(), QStringLiteral("我同意"));
    clickBox(form); // unticking disables at once, and for good: the countdown stops
    QVERIFY(!agree(form)->isEnabled());
    QTest::qWait(1200); // more than a tick of the countdown
    QVERIFY(!agree(form)->isEnabled());
    // The countdown is never reset: a new tick enables the button one tick later again.
    const qint64 again = tickAndWait(form);
    QVERIFY(again >= 900 && again < 1900);

    // Two quick clicks: the record is written, one main window opens, the declaration goes.
    QTest::mouseClick(agree(form), Qt::LeftButton);
    QTest::qWait(200);                                // less than the half second before the main window opens
    QVERIFY(FormDeclare && FormDeclare->isVisible()); // stays until the timer fires
    QTest::mouseClick(agree(form), Qt::LeftButton);
    QCOMPARE(storedRecord(), QStringLiteral("1.0.0"));
    QTRY_VERIFY_WITH_TIMEOUT(Formmain, 3000);
    QTRY_VERIFY(!FormDeclare);
    QTest::qWait(700); // a second opening would have come by now
    int mainWindows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        mainWindows += qobject_cast<TFormmain*>(widget) ? 1 : 0;
    QCOMPARE(mainWindows, 1);
    QCOMPARE(boxes.count(), 0);
}

void TestDeclaration::disagreeAndCloseEndTheProgram()
{
    TemporaryRegistry registry;
    int ends = 0;
    testHooks().endProgram = [&ends] { ++ends; };
    FormDeclare = new TFormDeclare;
    QTest::mouseClick(control<QPushButton>(FormDeclare, "btnDisAgreea"), Qt::LeftButton);
    QCOMPARE(ends, 1);
    FormDeclare->close();
    QCOMPARE(ends, 2);
    bool found = true;
    storedRecord(&found);
    QVERIFY(!found);
}

void TestDeclaration::unwritableStoreReportsAndOpensNothing_data()
{
    QTest::addColumn<bool>("folderIsAFile");
    QTest::addColumn<QString>("message");
    // The store's folder cannot be made (a file is in the way): the key cannot be created.
    QTest::newRow("key") << true << QStringLiteral("Failed to create key qorvex");
    // The store itself cannot be written (a folder is in the way): the value cannot be set.
    QTest::newRow("value") << false << QStringLiteral("Failed to set data for 'Agreement'");
}

void TestDeclaration::unwritableStoreReportsAndOpensNothing()
{
    QFETCH(bool, folderIsAFile);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString store =
        dir.filePath(folderIsAFile ? QStringLiteral("qorvex/registry.ini") : QStringLiteral("registry.ini"));
    if (folderIsAFile)
        QVERIFY(QFile(dir.filePath(QStringLiteral("qorvex"))).open(QIODevice::WriteOnly));
    else
        QVERIFY(QDir().mkpath(store));
    testHooks().registryStorePath = store;
    MessageBoxRecorder boxes;

    FormDeclare = new TFormDeclare;
    QVERIFY(FormDeclare->isVisible()); // a store that cannot be read never counts as accepted
    tickAndWait(*FormDeclare);
    QTest::mouseClick(agree(*FormDeclare), Qt::LeftButton);
    testHooks().registryStorePath = {};

    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.requests()[0].kind, MessageBoxes::Kind::Error);
    QCOMPARE(boxes.requests()[0].caption, Sites::applicationTitle());
    QCOMPARE(boxes.lastText(), message);
    QTest::qWait(700); // longer than agreeing takes to open the main window: none opens
    QVERIFY(!Formmain);
    QVERIFY(FormDeclare && FormDeclare->isVisible());
}

void TestDeclaration::textCannotBeCopiedOrGetAMenu()
{
    TemporaryRegistry registry;
    FormDeclare = new TFormDeclare;
    Tmemo* memo = control<Tmemo>(FormDeclare, "mmoAgreea");
    const QString original = memo->toPlainText();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    memo->setFocus();
    memo->selectAll();
    QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::qWait(50); // room for a copy or a paste, which must not come
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    QCOMPARE(memo->toPlainText(), original);

    // A right click asks for a context menu; none may open (one that did is closed again).
    // The look is taken 300 ms after the request, room enough for a menu to open.
    QWidget* popup = nullptr;
    bool looked = false;
    QTimer::singleShot(300, [&popup, &looked] {
        if ((popup = QApplication::activePopupWidget()))
            popup->close();
        looked = true;
    });
    const QPoint at(40, 40);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, memo->viewport()->mapToGlobal(at));
    QApplication::sendEvent(memo->viewport(), &request);
    QTRY_VERIFY(looked);
    QVERIFY(!popup);
}

QUVO_TEST_MAIN(TestDeclaration)
#include "test_declaration.moc"
