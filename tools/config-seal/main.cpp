// config-seal seal <plain.txt>   prints the sealed document (hexadecimal text) on stdout
// config-seal open <doc.txt>     prints the plain text of a sealed document on stdout
//
// The plain text is taken and given byte for byte (the program reads it as GBK). Sealing puts 4
// random bytes in front and fills the text with zero bytes up to whole cipher blocks.
#include "config/configcipher.h"
#include "config/configdocument.h"
#include "config/configkey.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>
#include <exception>

namespace {

int usage()
{
    std::fputs("usage: config-seal seal <plain.txt> | config-seal open <document.txt>\n", stderr);
    return 2;
}

bool readFile(const char* path, QByteArray* contents)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "config-seal: cannot read %s\n", path);
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
    if (argc != 3)
        return usage();
    const QByteArray command(argv[1]);
    QByteArray input;
    if (command != "seal" && command != "open")
        return usage();
    if (!readFile(argv[2], &input))
        return 1;
    try {
        if (command == "seal") {
            const quint32 random = QRandomGenerator::system()->generate();
            const QByteArray header(reinterpret_cast<const char*>(&random), sizeof random);
            return writeOut(EncipherConfigText(input, JoinConfigKey(), header) + '\n') ? 0 : 1;
        }
        const QByteArray plain = DecipherConfigText(TrimControlAndSpace(CutAtFirstZero(input)), JoinConfigKey());
        return writeOut(CutAtFirstZero(plain)) ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "config-seal: %s\n", error.what());
        return 1;
    }
}
