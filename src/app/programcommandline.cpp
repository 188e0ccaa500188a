#include "app/programcommandline.h"

#include "services/commandline.h"

ProgramCommandLine parseProgramCommandLine(int argc, char* argv[])
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
#ifdef Q_OS_WIN
    commandLine.answerInWindow(); // a windowed program: no terminal to answer on
#endif
    ProgramCommandLine parsed;
    parsed.exitStatus = commandLine.parse();
    parsed.answer = commandLine.answer();
    return parsed;
}
