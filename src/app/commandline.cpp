#include "app/commandline.h"

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

std::optional<int> CommandLine::parse()
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QStringList arguments = m_qtOptionsAllowed ? withoutQtOptions(m_arguments) : m_arguments;
    if (const QString error = optionsError(arguments, m_options); !error.isEmpty())
        return refuse(error);
    // Whatever else the parser finds wrong (nothing it reads differently from the check above).
    if (!m_parser.parse(arguments))
        return refuse(m_parser.errorText());
    if (m_parser.isSet(kHelp)) {
        print(stdout, helpText());
        return 0;
    }
    if (m_parser.isSet(kVersion)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(m_programName, QLatin1String(BuildInfo::version)));
        return 0;
    }
    if (!m_positionalAllowed && !m_parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("多余的参数：") + m_parser.positionalArguments().join(QLatin1Char(' ')));
    return std::nullopt;
}

std::optional<int> parseProgramCommandLine(int argc, char* argv[])
{
    CommandLine commandLine(argc, argv, QStringLiteral("[选项]"),
                            QStringLiteral("Quvo盒子：搜索种子影片，在线播放、交给迅雷下载或复制地址。"));
    const QString sites =
        QStringLiteral("环境变量：\n"
                       "  QUVO_SEARCH_SITE      种子搜索站的根地址（测试与镜像用；默认为正式站点）\n"
                       "  QUVO_PRODUCT_SERVER   产品服务器的根地址：设置文档、计数页、更新包（默认为正式站点）\n");
    const QString qtOptions =
        QStringLiteral("\nQt 的标准选项（如 -session、-platform、-style、-reverse）交给 Qt 处理。\n");
#ifdef Q_OS_WIN
    // Records live in the registry, the instance is a system mutex, pages have no module here.
    commandLine.setNotes(
        sites +
        QStringLiteral("  QT_LOGGING_RULES      设为 \"quvo.*=true\" 时，各部分未告知用户的失败写到调试输出\n") +
        qtOptions);
#else
    commandLine.setNotes(
        sites +
        QStringLiteral("  QUVO_WEB_MODULE       内嵌浏览器模块（libquvo-web.so）的路径（默认为随程序安装的模块）\n"
                       "  QT_LOGGING_RULES      设为 \"quvo.*=true\" 时，各部分未告知用户的失败写到标准错误输出\n"
                       "  XDG_CONFIG_HOME       记录文件 qorvex/registry.ini 所在的目录（默认 ~/.config）\n"
                       "  XDG_RUNTIME_DIR       单实例锁所在的目录\n"
                       "  QTWEBENGINE_DISABLE_SANDBOX  以 root 身份运行时须设为 1，内嵌网页才能显示\n") +
        qtOptions);
#endif
    commandLine.leaveQtOptionsToQt();
    return commandLine.parse();
}
