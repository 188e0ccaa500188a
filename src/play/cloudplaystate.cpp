#include "play/cloudplaystate.h"

#include "config/settingsview.h"

namespace {

// Each base is kept as two pieces split inside the host name and joined only when needed.
struct BasePieces {
    const char* head;
    const char* tail;
};
constexpr BasePieces kLine1{"http://yun.qorv", "explay.com/?url="};
constexpr BasePieces kLine2{"http://vod.qorve", "xcloud.com/api.html?url="};

} // namespace

QByteArray CloudPlayState::builtInBase(int line)
{
    if (line != 1 && line != 2)
        return {};
    const BasePieces& pieces = line == 1 ? kLine1 : kLine2;
    return QByteArray(pieces.head) + pieces.tail;
}

QByteArray CloudPlayState::counterPage(int line)
{
    return line == 1 ? QByteArrayLiteral("/update/CldNum1.php") : QByteArrayLiteral("/update/CldNum2.php");
}

void CloudPlayState::joinBase(int line)
{
    (line == 1 ? m_line1Base : m_line2Base) = builtInBase(line);
}

void CloudPlayState::rememberLine(int line)
{
    if (line != 1 && line != 2)
        return;
    m_rememberedLine = QByteArray::number(line);
    joinBase(line);
    m_currentPlayBase = lineBase(line);
}

bool CloudPlayState::directPlay(const QByteArray& rowAddress, QByteArray* playAddress)
{
    const int line = m_rememberedLine == "1" ? 1 : m_rememberedLine == "2" ? 2 : 0;
    if (line == 0)
        return false;
    joinBase(line);
    m_currentPlayBase = lineBase(line);
    *playAddress = m_currentPlayBase + rowAddress;
    return true;
}

QByteArray CloudPlayState::chooseLine(int line, const SettingsView& settings, const QByteArray& rowAddress)
{
    if (settings.remoteLinesInForce()) {
        if (const std::optional<QByteArray> remote = settings.remoteLineBase(line))
            m_currentPlayBase = *remote;
    } else {
        joinBase(1);
        joinBase(2);
        m_currentPlayBase = lineBase(line);
    }
    return m_currentPlayBase + rowAddress;
}

CloudPlayState& CloudPlay()
{
    static CloudPlayState state;
    return state;
}
