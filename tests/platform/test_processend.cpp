// A test program whose process ends as the program's does still reports its failures: this one's
// check fails on purpose, and ctest expects the run to fail (WILL_FAIL). An end of the process that
// lost the exit code would let every failing test pass.
#include "testmain.h"

#include <QObject>

class TestProcessEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failingCheckFailsTheRun() { QCOMPARE(QStringLiteral("ended"), QStringLiteral("kept")); }
};

QUVO_TEST_GUILESS_MAIN(TestProcessEnd)
#include "test_processend.moc"
