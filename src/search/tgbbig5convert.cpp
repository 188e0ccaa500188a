#include "search/tgbbig5convert.h"

#include "platform/codepage.h"
#include "platform/guard.h"
#include "platform/logging.h"

#include <MarisaDict.hpp>

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <cstdio>
#include <memory>
#include <string>

namespace {

QString dataFolder()
{
#ifdef OPENCC_DATA_DIR
    return QStringLiteral(OPENCC_DATA_DIR);
#else
    // Installed beside the program (Windows).
    return QCoreApplication::applicationDirPath() + QStringLiteral("/opencc");
#endif
}

opencc::DictPtr loadDictionary(const char* fileName)
{
    const QString path = dataFolder() + QLatin1Char('/') + QLatin1String(fileName);
#ifdef Q_OS_WIN
    // The narrow fopen reads the path in the ANSI code page: a folder such as "Quvo盒子" would not open.
    FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(path.utf16()), L"rb");
#else
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
#endif
    if (!file) {
        qCInfo(lcSearch) << "no character table at" << path;
        return nullptr;
    }
    // OpenCC raises its own failures for a file it cannot read.
    opencc::DictPtr dictionary;
    const QByteArray step = QByteArray("reading the character dictionary ") + fileName;
    runGuarded(lcSearch(), step.constData(), [&] { dictionary = opencc::MarisaDict::NewFromFile(file); });
    std::fclose(file);
    return dictionary;
}

const opencc::Dict* simplifiedToTraditional()
{
    static const opencc::DictPtr dictionary = loadDictionary("STCharacters.ocd2");
    return dictionary.get();
}

const opencc::Dict* traditionalToSimplified()
{
    static const opencc::DictPtr dictionary = loadDictionary("TSCharacters.ocd2");
    return dictionary.get();
}

QByteArray convert(const QByteArray& gbk, const opencc::Dict* dictionary)
{
    if (!dictionary || gbk.isEmpty())
        return gbk;
    const QString text = CodePage::fromGbk(gbk);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length;
        QString replacement = character;
        if (character[0].unicode() >= 0x80) {
            const std::string key = character.toStdString();
            const opencc::Optional<const opencc::DictEntry*> entry = dictionary->Match(key.c_str(), key.size());
            if (!entry.IsNull()) {
                const QString counterpart = QString::fromStdString(entry.Get()->GetDefault());
                // One character in, one out; and only one that GBK can hold.
                const bool single =
                    counterpart.size() == 1 || (counterpart.size() == 2 && counterpart[0].isHighSurrogate());
                if (single && CodePage::toGbk(counterpart) != "?")
                    replacement = counterpart;
            }
        }
        out.append(replacement);
    }
    return CodePage::toGbk(out);
}

} // namespace

QByteArray TGBBIG5Convert::ToTraditional(const QByteArray& gbk)
{
    return convert(gbk, simplifiedToTraditional());
}

QByteArray TGBBIG5Convert::ToSimplified(const QByteArray& gbk)
{
    return convert(gbk, traditionalToSimplified());
}

bool TGBBIG5Convert::dictionariesAvailable()
{
    return simplifiedToTraditional() && traditionalToSimplified();
}
