// config-seal seal <plain.txt>   prints the sealed document (hexadecimal text) on stdout
// config-seal open <doc.txt>     prints the plain text of a sealed document on stdout
//
// The plain text is taken and given byte for byte (the program reads it as GBK). Sealing puts 4
// random bytes in front and fills the text with zero bytes up to whole cipher blocks.
#include "config/configcipher.h"
#include "config/configdocument.h"
#include "config/configkey.h"
#include "services/commandline.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>
#include <exception>

namespace {

bool readFile(const QString& path, QByteArray* contents)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "config-seal: cannot read %s\n", qPrintable(path));
        return false;
    }
    *contents = file.readAll();
    return true;
}

bool writeOut(const QByteArray& bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()) &&
           std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    CommandLine commandLine(argc, argv, QStringLiteral("seal <明文文件> | open <设置文档>"),
                            QStringLiteral("seal：把明文设置封装成程序读取的设置文档（十六进制文本），写到标准输出；\n"
                                           "open：把设置文档还原成明文，写到标准输出。"));
    commandLine.allowPositionalArguments();
    if (const std::optional<int> status = commandLine.parse())
        return *status;
    const QStringList arguments = commandLine.parser().positionalArguments();
    const QString command = arguments.value(0);
    if (arguments.size() != 2 || (command != QLatin1String("seal") && command != QLatin1String("open")))
        return commandLine.refuse(QStringLiteral("需要 seal 或 open 加一个文件"));
    QByteArray input;
    if (!readFile(arguments[1], &input))
        return 1;
    try {
        if (command == QLatin1String("seal")) {
            const quint32 random = QRandomGenerator::system()->generate();
            const QByteArray header(reinterpret_cast<const char*>(&random), sizeof random);
            return writeOut(encipherConfigText(input, joinConfigKey(), header) + '\n') ? 0 : 1;
        }
        const QByteArray plain = DecipherConfigText(trimControlAndSpace(cutAtFirstZero(input)), joinConfigKey());
        return writeOut(cutAtFirstZero(plain)) ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "config-seal: %s\n", error.what());
        return 1;
    }
}
