// The Alt+F1 grab, driven by real key presses from xdotool on a display of the test's own.
#include "platform/globalhotkey.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {
void press(const QString& keys)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}), 0);
}

// Lets key events that would count arrive before a count is checked.
void settle()
{
    QTest::qWait(300);
}
} // namespace

class TestHotKey : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void altAloneCountsLocksDoNotMatter();
    void keyTakenByAnotherProgramIsSilent();
};

void TestHotKey::altAloneCountsLocksDoNotMatter()
{
    GlobalHotKey hotKey;
    QVERIFY(hotKey.registerAltF1());
    QSignalSpy activated(&hotKey, &GlobalHotKey::activated);

    press(QStringLiteral("alt+F1"));
    QTRY_COMPARE(activated.size(), 1);

    press(QStringLiteral("alt+shift+F1"));
    press(QStringLiteral("ctrl+alt+F1"));
    press(QStringLiteral("F1"));
    press(QStringLiteral("super+alt+F1"));
    settle();
    QCOMPARE(activated.size(), 1);

    press(QStringLiteral("Num_Lock"));
    press(QStringLiteral("alt+F1"));
    press(QStringLiteral("Num_Lock"));
    QTRY_COMPARE(activated.size(), 2);

    press(QStringLiteral("Caps_Lock"));
    press(QStringLiteral("alt+F1"));
    press(QStringLiteral("shift+alt+F1"));
    press(QStringLiteral("Caps_Lock"));
    settle();
    QCOMPARE(activated.size(), 3);
}

void TestHotKey::keyTakenByAnotherProgramIsSilent()
{
    // Another client holds Alt+F1.
    Display* other = XOpenDisplay(nullptr);
    QVERIFY(other);
    const int keycode = XKeysymToKeycode(other, XK_F1);
    XGrabKey(other, keycode, Mod1Mask, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync);
    XSync(other, False);

    {
        GlobalHotKey hotKey;
        QVERIFY(!hotKey.registerAltF1());
        QSignalSpy activated(&hotKey, &GlobalHotKey::activated);
        press(QStringLiteral("alt+F1"));
        settle();
        QCOMPARE(activated.size(), 0);
    }
    XCloseDisplay(other);

    // Once the other program let go, the key can be had again.
    QTest::qWait(100);
    GlobalHotKey hotKey;
    QVERIFY(hotKey.registerAltF1());
}

QTEST_MAIN(TestHotKey)
#include "test_hotkey.moc"
