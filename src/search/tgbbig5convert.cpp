#include "search/tgbbig5convert.h"

#include "platform/codepage.h"
#include "platform/logging.h"

#include <MarisaDict.hpp>

#include <QString>

#include <cstdio>
#include <memory>
#include <string>

namespace {

opencc::DictPtr loadDictionary(const char* fileName)
{
    const std::string path = std::string(OPENCC_DATA_DIR) + "/" + fileName;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        qCInfo(lcSearch) << "character dictionary" << path.c_str() << "not found";
        return nullptr;
    }
    opencc::DictPtr dictionary;
    try {
        dictionary = opencc::MarisaDict::NewFromFile(file);
    } catch (const std::exception& failure) {
        qCInfo(lcSearch) << "character dictionary" << fileName << "not read:" << failure.what();
        dictionary = nullptr;
    }
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
