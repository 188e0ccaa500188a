// The usage declaration window: acceptance record, countdown, agree/disagree, the text box.
#include "app/lifecycle.h"
#include "app/tformdeclare.h"
#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "app/sites.h"
#include "platform/registry.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\qorvex");

int mainWindowCount()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<TFormmain*>(widget) ? 1 : 0;
    return count;
}

// Ticks the box and waits for the countdown to enable "我同意".
void tickAndWait(TFormDeclare& form)
{
    QTest::mouseClick(form.chkagreea, Qt::LeftButton, {}, QPoint(5, form.chkagreea->height() / 2));
    QTRY_VERIFY_WITH_TIMEOUT(form.btnagreea->isEnabled(), 3000);
}
} // namespace

class TestDeclaration : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void declarationText();
    void firstRunShowsDeclarationWithAgreeDisabled();
    void onlyTheExactRecordCountsAsAccepted_data();
    void onlyTheExactRecordCountsAsAccepted();
    void tickEnablesAfterOneTickUntickDisablesAtOnce();
    void agreeRecordsAndOpensOneMainWindow();
    void disagreeAndCloseEndTheProgram();
    void unwritableStoreReportsAndOpensNothing_data();
    void unwritableStoreReportsAndOpensNothing();
    void textCannotBeCopiedOrGetAMenu();
};

void TestDeclaration::initTestCase()
{
    // The main window fetches its settings a second after it opens: keep that local and refused.
    qputenv("QUVO_PRODUCT_SERVER", "http://127.0.0.1:9");
    qputenv("QUVO_SEARCH_SITE", "http://127.0.0.1:9");
}

void TestDeclaration::cleanup()
{
    delete Formmain.data();
    delete FormDeclare.data();
    setEndProgramHandlerForTesting({});
}

void TestDeclaration::declarationText()
{
    const QString text = TFormDeclare::declarationText();
    const QStringList lines = text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 75);
    QCOMPARE(lines[0], QStringLiteral("提示：部分杀软可能会报毒，请添加信任或关闭或删除本软件，"));
    QCOMPARE(lines[1], QString());
    for (int i = 2; i < lines.size(); ++i) {
        if (!lines[i].isEmpty())
            QVERIFY2(lines[i].startsWith(QStringLiteral("　　")), qPrintable(QString::number(i + 1)));
    }
    QVERIFY(text.contains(QStringLiteral("QV盒子")));
    QVERIFY(text.contains(Sites::contactAddress()));
    QVERIFY(text.contains(Sites::microblogAddress()));
    QVERIFY(!text.contains(QLatin1Char('{'))); // every placeholder filled in
    QVERIFY(text.size() > 2000);
}

void TestDeclaration::firstRunShowsDeclarationWithAgreeDisabled()
{
    TemporaryRegistry registry;
    FormDeclare = new TFormDeclare;
    QVERIFY(FormDeclare->isVisible());
    QCOMPARE(FormDeclare->windowTitle(), QStringLiteral("免责声明"));
    QCOMPARE(FormDeclare->size(), QSize(586, 652));
    QVERIFY(!FormDeclare->chkagreea->isChecked());
    QVERIFY(!FormDeclare->btnagreea->isEnabled());
    QCOMPARE(FormDeclare->btnagreea->text(), QStringLiteral("我同意"));
    QVERIFY(!FormDeclare->TmrAutoLogin.isActive());
    // Nothing is recorded by merely showing the declaration.
    bool found = true;
    Registry::readString(kKey, QStringLiteral("Agreement"), &found);
    QVERIFY(!found);
}

void TestDeclaration::onlyTheExactRecordCountsAsAccepted_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("exact") << QStringLiteral("1.0.0") << true;
    QTest::newRow("trailing blank") << QStringLiteral("1.0.0 ") << false;
    QTest::newRow("leading blank") << QStringLiteral(" 1.0.0") << false;
    QTest::newRow("other version") << QStringLiteral("1.0.1") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestDeclaration::onlyTheExactRecordCountsAsAccepted()
{
    QFETCH(QString, stored);
    QFETCH(bool, accepted);
    TemporaryRegistry registry;
    registry.set(kKey, QStringLiteral("Agreement"), stored);
    QElapsedTimer clock;
    clock.start();
    FormDeclare = new TFormDeclare;
    QCOMPARE(FormDeclare->isVisible(), !accepted);
    if (!accepted) {
        QVERIFY(!FormDeclare->TmrAutoLogin.isActive());
        // Accepting rewrites the record to the one valid value.
        tickAndWait(*FormDeclare);
        QTest::mouseClick(FormDeclare->btnagreea, Qt::LeftButton);
        QCOMPARE(Registry::readString(kKey, QStringLiteral("Agreement")), QStringLiteral("1.0.0"));
        clock.restart();
    }
    // Either way the main window opens half a second later and the declaration goes.
    QTRY_VERIFY_WITH_TIMEOUT(Formmain, 3000);
    QVERIFY(clock.elapsed() >= 450);
    QVERIFY(Formmain->isVisible());
    QTRY_VERIFY(!FormDeclare);
}

void TestDeclaration::tickEnablesAfterOneTickUntickDisablesAtOnce()
{
    TemporaryRegistry registry;
    FormDeclare = new TFormDeclare;
    TFormDeclare& form = *FormDeclare;

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(form.chkagreea, Qt::LeftButton, {}, QPoint(5, form.chkagreea->height() / 2));
    QVERIFY(form.chkagreea->isChecked());
    QVERIFY(!form.btnagreea->isEnabled());
    QVERIFY(form.TmrAgreea.isActive());
    QTRY_VERIFY_WITH_TIMEOUT(form.btnagreea->isEnabled(), 3000);
    QVERIFY2(clock.elapsed() >= 900, "enabled before the first countdown tick");
    QCOMPARE(form.btnagreea->text(), QStringLiteral("我同意"));
    QVERIFY(!form.TmrAgreea.isActive());

    QTest::mouseClick(form.chkagreea, Qt::LeftButton, {}, QPoint(5, form.chkagreea->height() / 2));
    QVERIFY(!form.chkagreea->isChecked());
    QVERIFY(!form.btnagreea->isEnabled());
    QVERIFY(!form.TmrAgreea.isActive());

    // The countdown is not restarted: a new tick enables the button again one tick later.
    clock.restart();
    tickAndWait(form);
    QVERIFY(clock.elapsed() >= 900);
    QVERIFY(clock.elapsed() < 1900);
    QCOMPARE(form.btnagreea->text(), QStringLiteral("我同意"));
}

void TestDeclaration::agreeRecordsAndOpensOneMainWindow()
{
    TemporaryRegistry registry;
    MessageBoxRecorder boxes;
    FormDeclare = new TFormDeclare;
    tickAndWait(*FormDeclare);
    QTest::mouseClick(FormDeclare->btnagreea, Qt::LeftButton);
    QTest::qWait(200);
    QVERIFY(FormDeclare);
    QVERIFY(FormDeclare->isVisible()); // stays until the timer fires
    QTest::mouseClick(FormDeclare->btnagreea, Qt::LeftButton);

    QTRY_VERIFY_WITH_TIMEOUT(Formmain, 3000);
    QTRY_VERIFY(!FormDeclare);
    QTest::qWait(700); // a second opening would have come by now
    QCOMPARE(mainWindowCount(), 1);
    QCOMPARE(boxes.count(), 0);

    QSettings store(registry.path(), QSettings::IniFormat);
    QCOMPARE(store.value(QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/qorvex/Agreement")).toString(),
             QStringLiteral("1.0.0"));
}

void TestDeclaration::disagreeAndCloseEndTheProgram()
{
    TemporaryRegistry registry;
    int ends = 0;
    setEndProgramHandlerForTesting([&ends] { ++ends; });
    FormDeclare = new TFormDeclare;
    QTest::mouseClick(FormDeclare->btnDisAgreea, Qt::LeftButton);
    QCOMPARE(ends, 1);
    FormDeclare->close();
    QCOMPARE(ends, 2);
    QTest::qWait(700);
    QVERIFY(!Formmain);
    bool found = true;
    Registry::readString(kKey, QStringLiteral("Agreement"), &found);
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
    QString storePath;
    if (folderIsAFile) {
        QFile blocker(dir.filePath(QStringLiteral("qorvex")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        storePath = dir.filePath(QStringLiteral("qorvex/registry.ini"));
    } else {
        storePath = dir.filePath(QStringLiteral("registry.ini"));
        QVERIFY(QDir().mkpath(storePath));
    }
    Registry::setStorePathForTesting(storePath);
    MessageBoxRecorder boxes;

    FormDeclare = new TFormDeclare;
    QVERIFY(FormDeclare->isVisible()); // a store that cannot be read never counts as accepted
    tickAndWait(*FormDeclare);
    QTest::mouseClick(FormDeclare->btnagreea, Qt::LeftButton);
    Registry::setStorePathForTesting({});

    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.requests()[0].kind, MessageBoxes::Kind::Error);
    QCOMPARE(boxes.requests()[0].caption, Sites::applicationTitle());
    QCOMPARE(boxes.lastText(), message);
    QVERIFY(!FormDeclare->TmrAutoLogin.isActive());
    QTest::qWait(700);
    QVERIFY(!Formmain);
    QVERIFY(FormDeclare && FormDeclare->isVisible());
}

void TestDeclaration::textCannotBeCopiedOrGetAMenu()
{
    TemporaryRegistry registry;
    FormDeclare = new TFormDeclare;
    Tmemo* memo = FormDeclare->mmoAgreea;
    QVERIFY(memo->isReadOnly());
    const QString original = memo->toPlainText();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    memo->setFocus();
    memo->selectAll();
    QVERIFY(memo->textCursor().hasSelection());
    QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Delete, Qt::ShiftModifier);
    QTest::qWait(50);
    QCOMPARE(clipboard->text(), QStringLiteral("before"));
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(memo->toPlainText(), original);

    // A right click asks for a context menu; none may open.
    QWidget* popup = nullptr;
    QTimer::singleShot(300, [&popup] {
        popup = QApplication::activePopupWidget();
        if (popup)
            popup->close();
    });
    const QPoint at(40, 40);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, memo->viewport()->mapToGlobal(at));
    QApplication::sendEvent(memo->viewport(), &request);
    QTest::qWait(400);
    QVERIFY(!popup);
}

QTEST_MAIN(TestDeclaration)
#include "test_declaration.moc"
