#include "config/configkey.h"

QByteArray JoinConfigKey()
{
    QByteArray key(ConfigKey::piece1);
    key += ConfigKey::piece2;
    key += ConfigKey::piece3;
    return key;
}
