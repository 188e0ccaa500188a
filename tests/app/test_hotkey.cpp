// The Alt+F1 hot key, driven by key presses from outside the program: xdotool on a display of the
// test's own (X11), the system's input queue (Windows).
#include "platform/globalhotkey.h"
#include "testmain.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <memory>
#include <vector>
#else
#include <X11/Xlib.h>
#include <X11/keysym.h>
#endif

namespace {
#ifdef Q_OS_WIN
// Keys named as xdotool names them ("ctrl+alt+F1"): pressed in order, released in reverse.
void press(const QString& keys)
{
    static const QHash<QString, WORD> codes = {{QStringLiteral("alt"), VK_MENU},
                                               {QStringLiteral("shift"), VK_SHIFT},
                                               {QStringLiteral("ctrl"), VK_CONTROL},
                                               {QStringLiteral("super"), VK_LWIN},
                                               {QStringLiteral("F1"), VK_F1},
                                               {QStringLiteral("Num_Lock"), VK_NUMLOCK},
                                               {QStringLiteral("Caps_Lock"), VK_CAPITAL}};
    std::vector<INPUT> inputs;
    const QStringList names = keys.split(QLatin1Char('+'));
    for (const QString& name : names) {
        QVERIFY2(codes.contains(name), qPrintable(name));
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = codes.value(name);
        inputs.push_back(input);
    }
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = codes.value(*it);
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    QCOMPARE(SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)), UINT(inputs.size()));
    QTest::qWait(50); // one chord at a time: the next one's lock keys must not overtake this one
}
#else
void press(const QString& keys)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}), 0);
}
#endif

// Lets key events that would count arrive before a count is checked that must not have grown.
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
#ifdef Q_OS_WIN
    // Another holder of Alt+F1: a hot key is the desktop's, whoever has it blocks the others.
    auto other = std::make_unique<GlobalHotKey>();
    QVERIFY(other->registerAltF1());
#else
    // Another client holds Alt+F1.
    Display* other = XOpenDisplay(nullptr);
    QVERIFY(other);
    const int keycode = XKeysymToKeycode(other, XK_F1);
    XGrabKey(other, keycode, Mod1Mask, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync);
    XSync(other, False);
#endif

    {
        GlobalHotKey hotKey;
        QVERIFY(!hotKey.registerAltF1());
        QSignalSpy activated(&hotKey, &GlobalHotKey::activated);
        press(QStringLiteral("alt+F1"));
        settle();
        QCOMPARE(activated.size(), 0);
    }
#ifdef Q_OS_WIN
    other.reset();
#else
    XCloseDisplay(other);
#endif

    // Once the other program let go (the display server learns it a moment later), the key can be had again.
    GlobalHotKey hotKey;
    QTRY_VERIFY_WITH_TIMEOUT(hotKey.registerAltF1(), 10000);
}

QUVO_TEST_MAIN(TestHotKey)
#include "test_hotkey.moc"
