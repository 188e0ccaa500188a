#pragma once

#include "platform/processend.h"

#include <QApplication>
#include <QCoreApplication>
#include <QtTest>

// A test program's main, as QTEST_MAIN (or QTEST_GUILESS_MAIN) makes it, whose process ends as the
// program's does (platform/processend.h): the test program meets the end the program meets.
#define QUVO_TEST_MAIN_WITH(Application, TestObject)                                                                   \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        const int failures = [&] {                                                                                     \
            Application app(argc, argv);                                                                               \
            app.setAttribute(Qt::AA_Use96Dpi, true);                                                                   \
            TestObject test;                                                                                           \
            QTEST_SET_MAIN_SOURCE_PATH                                                                                 \
            return QTest::qExec(&test, argc, argv);                                                                    \
        }();                                                                                                           \
        return ProcessEnd::afterShutdown(failures);                                                                    \
    }
#define QUVO_TEST_MAIN(TestObject) QUVO_TEST_MAIN_WITH(QApplication, TestObject)
#define QUVO_TEST_GUILESS_MAIN(TestObject) QUVO_TEST_MAIN_WITH(QCoreApplication, TestObject)
