#include "services/commandline.h"

#include "platform/logging.h"
#include "services/buildinfo.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示本帮助后退出。"));
const QCommandLineOption kVersion(QStringLiteral("version"), QStringLiteral("显示版本号后退出。"));

// Columns a text takes in a terminal: CJK characters take two.
qsizetype displayWidth(const QString& text)
{
    return std::accumulate(text.cbegin(), text.cend(), qsizetype(0),
                           [](qsizetype width, QChar c) { return width + (c.unicode() >= 0x1100 ? 2 : 1); });
}

QString spelled(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// What is wrong with the options of a command line, in Chinese, naming each option as it was
// typed; empty when nothing is. Decided from the options themselves, the way QCommandLineParser
// reads them with single-dash words as long options: "--" ends the options, a lone "-" is a
// positional argument, an option that takes a value takes "=value" or the next argument.
QString optionsError(const QStringList& arguments, const QList<QCommandLineOption>& options)
{
    QStringList unknown;
    QString valueError;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--"))
            break;
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            continue;
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString typed = argument.left(equals); // the whole argument when there is no "="
        const QString name = typed.mid(typed.startsWith(QLatin1String("--")) ? 2 : 1);
        const auto option = std::find_if(options.cbegin(), options.cend(),
                                         [&name](const QCommandLineOption& o) { return o.names().contains(name); });
        if (option == options.cend()) {
            unknown << typed;
        } else if (option->valueName().isEmpty()) {
            if (equals >= 0 && valueError.isEmpty())
                valueError = QStringLiteral("选项 %1 不带值").arg(typed);
        } else if (equals < 0 && ++i == arguments.size() && valueError.isEmpty()) {
            valueError = QStringLiteral("选项 %1 缺少值").arg(typed);
        }
    }
    if (!unknown.isEmpty())
        return QStringLiteral("未知选项：") + unknown.join(QStringLiteral(", "));
    return valueError;
}

// The options QGuiApplication and QApplication take out of the arguments themselves, spelled with
// one dash or two; those of the first list take the next argument (or "=value") as their value.
const QStringList kQtOptionsWithValue{QStringLiteral("platform"),
                                      QStringLiteral("platformpluginpath"),
                                      QStringLiteral("platformtheme"),
                                      QStringLiteral("plugin"),
                                      QStringLiteral("qwindowgeometry"),
                                      QStringLiteral("geometry"),
                                      QStringLiteral("qwindowtitle"),
                                      QStringLiteral("title"),
                                      QStringLiteral("qwindowicon"),
                                      QStringLiteral("icon"),
                                      QStringLiteral("session"),
                                      QStringLiteral("style"),
                                      QStringLiteral("stylesheet"),
                                      QStringLiteral("display"),
                                      QStringLiteral("name"),
                                      QStringLiteral("qmljsdebugger"),
                                      QStringLiteral("dialogs"),
                                      QStringLiteral("fontengine"),
                                      QStringLiteral("darkmode")};
const QStringList kQtFlags{QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
                           QStringLiteral("dograb"),  QStringLiteral("sync"),        QStringLiteral("testability"),
                           QStringLiteral("nativeui")};

// The arguments without Qt's own options and their values.
QStringList withoutQtOptions(const QStringList& arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("--")) {
            kept << argument;
            continue;
        }
        const QString option = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString name = option.section(QLatin1Char('='), 0, 0);
        if (kQtFlags.contains(option))
            continue;
        if (kQtOptionsWithValue.contains(name)) {
            if (!option.contains(QLatin1Char('=')))
                ++i; // its value
            continue;
        }
        kept << argument;
    }
    return kept;
}

} // namespace

CommandLine::CommandLine(int argc, char* argv[], QString usage, QString description)
    : m_usage(std::move(usage)), m_description(std::move(description))
{
    for (int i = 0; i < argc; ++i)
        m_arguments << QString::fromLocal8Bit(argv[i]);
    m_programName = m_arguments.isEmpty() ? QString() : QFileInfo(m_arguments.first()).fileName();
    addOption(kHelp);
    addOption(kVersion);
}

void CommandLine::addOption(const QCommandLineOption& option)
{
    m_options << option;
    m_parser.addOption(option);
}

QString CommandLine::helpText() const
{
    QList<std::pair<QString, QString>> rows;
    for (const QCommandLineOption& option : m_options) {
        if (option.flags() & QCommandLineOption::HiddenFromHelp)
            continue;
        QStringList names;
        for (const QString& name : option.names())
            names << spelled(name);
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            left += QStringLiteral(" <%1>").arg(option.valueName());
        rows.append({left, option.description()});
    }
    qsizetype width = 0;
    for (const auto& row : rows)
        width = std::max(width, displayWidth(row.first));
    QString text = QStringLiteral("用法：%1 %2\n%3\n\n选项：\n").arg(m_programName, m_usage, m_description);
    for (const auto& [left, right] : rows)
        text += QStringLiteral("  ") + left + QString(width - displayWidth(left) + 2, QLatin1Char(' ')) + right +
                QLatin1Char('\n');
    if (!m_notes.isEmpty())
        text += QLatin1Char('\n') + m_notes;
    return text;
}

int CommandLine::refuse(const QString& message) const
{
    print(stderr, QStringLiteral("%1：%2\n用 %1 --help 查看用法。\n").arg(m_programName, message));
    return 2;
}

std::optional<int> CommandLine::wrong(const QString& message) const
{
    if (!m_inWindow)
        return refuse(message);
    qCInfo(lcShell).noquote() << "command line:" << message << "- ignored";
    return std::nullopt;
}

std::optional<int> CommandLine::answered(const QString& text)
{
    if (m_inWindow) {
        m_answer = text;
        return std::nullopt;
    }
    print(stdout, text);
    return 0;
}

std::optional<int> CommandLine::parse()
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QStringList arguments = m_qtOptionsAllowed ? withoutQtOptions(m_arguments) : m_arguments;
    QString error = optionsError(arguments, m_options);
    // Whatever else the parser finds wrong (nothing it reads differently from the check above). It
    // goes on past an unknown option, so help and version are still known in a window.
    if (!m_parser.parse(arguments) && error.isEmpty())
        error = m_parser.errorText();
    if (!error.isEmpty()) {
        if (const std::optional<int> status = wrong(error))
            return status;
    }
    if (m_parser.isSet(kHelp))
        return answered(helpText());
    if (m_parser.isSet(kVersion))
        return answered(QStringLiteral("%1 %2\n").arg(m_programName, QLatin1String(BuildInfo::version)));
    if (!m_positionalAllowed && !m_parser.positionalArguments().isEmpty())
        return wrong(QStringLiteral("多余的参数：") + m_parser.positionalArguments().join(QLatin1Char(' ')));
    return std::nullopt;
}
