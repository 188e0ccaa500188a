#include "platform/testhooks.h"

TestHooks& testHooks()
{
    static TestHooks hooks;
    return hooks;
}
