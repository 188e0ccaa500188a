#include "platform/webengineloader.h"

WebEngine* WebEngineLoader::engine()
{
    static WebEngine* const loaded = loadFirst(candidates());
    return loaded;
}
