#include "services/lifecycle.h"

#include "platform/testhooks.h"

#include <QCoreApplication>

void EndProgram()
{
    if (testHooks().endProgram) {
        testHooks().endProgram();
        return;
    }
    QCoreApplication::exit(0);
}
