#include "config/configkey.h"

QByteArray joinConfigKey()
{
    QByteArray key(ConfigKey::piece1);
    key += ConfigKey::piece2;
    key += ConfigKey::piece3;
    return key;
}
