#include "config/configdocument.h"

#include "config/configcipher.h"
#include "services/textbetween.h"

#define CONFIG_TAG(name)                                                                                               \
    ConfigTag                                                                                                          \
    {                                                                                                                  \
        "<" #name ">", "</" #name ">", &RemoteConfiguration::name                                                      \
    }

const std::array<ConfigTag, 28> kConfigTags = {
    CONFIG_TAG(Version),      CONFIG_TAG(FrcUp),        CONFIG_TAG(updateline1),  CONFIG_TAG(updateline2),
    CONFIG_TAG(updateline3),  CONFIG_TAG(WordDef),      CONFIG_TAG(Wordban),      CONFIG_TAG(BulletinShow),
    CONFIG_TAG(BulletinWord), CONFIG_TAG(Bulletin),     CONFIG_TAG(AdverDef),     CONFIG_TAG(AdWebAdr),
    CONFIG_TAG(AdpnlHeight),  CONFIG_TAG(AdShowtime),   CONFIG_TAG(CloudDef),     CONFIG_TAG(Cldline1),
    CONFIG_TAG(Cldline2),     CONFIG_TAG(OnlineDef),    CONFIG_TAG(OLTvAdr),      CONFIG_TAG(MtvDef),
    CONFIG_TAG(MtvAdr),       CONFIG_TAG(MusicDef),     CONFIG_TAG(MusicAdr),     CONFIG_TAG(FeedbackDef),
    CONFIG_TAG(FeedAdr),      CONFIG_TAG(AttentionDef), CONFIG_TAG(AttentionAdr), CONFIG_TAG(SearchSites),
};

#undef CONFIG_TAG

QByteArray trimControlAndSpace(const QByteArray& text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

QByteArray cutAtFirstZero(const QByteArray& text)
{
    const qsizetype zero = text.indexOf('\0');
    return zero < 0 ? text : text.left(zero);
}

QByteArray lowerAsciiLetters(const QByteArray& gbk)
{
    QByteArray lowered = gbk;
    for (qsizetype i = 0; i < lowered.size(); ++i) {
        const auto byte = static_cast<unsigned char>(lowered[i]);
        if (byte >= 0x81 && byte <= 0xFE)
            ++i; // a double-byte character: its second byte may look like a letter but is none
        else if (byte >= 'A' && byte <= 'Z')
            lowered[i] = char(byte - 'A' + 'a');
    }
    return lowered;
}

RemoteConfiguration parseConfigDocument(const QByteArray& responseText, const QByteArray& keyText)
{
    // The response is read as text, which ends at a zero byte, like the deciphered text below.
    const QByteArray hexText = trimControlAndSpace(cutAtFirstZero(responseText));
    const QByteArray plain = lowerAsciiLetters(cutAtFirstZero(DecipherConfigText(hexText, keyText)));
    RemoteConfiguration record;
    for (const ConfigTag& tag : kConfigTags)
        record.*tag.field = TextBetween(plain, tag.start, tag.end);
    return record;
}

Expected<RemoteConfiguration> readConfigDocument(const QByteArray& responseText, const QByteArray& keyText)
{
    try {
        return parseConfigDocument(responseText, keyText);
    } catch (const std::exception& failure) {
        return Expected<RemoteConfiguration>::failure(QString::fromUtf8(failure.what()));
    }
}
