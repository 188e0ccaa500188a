#include "services/lifecycle.h"

#include "platform/testhooks.h"

#include <QCoreApplication>

void endProgram()
{
    if (testHooks().endProgram) {
        testHooks().endProgram();
        return;
    }
    QCoreApplication::exit(0);
}
