#pragma once

#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The command line of the program and of its tools: -h/--help and --version come with every one,
// the help text is Chinese, and a wrong command line is told on stderr with exit status 2 (a
// windowed program's is logged and ignored: answerInWindow). Parsing needs no application object,
// so --help and --version work without a display.
class CommandLine final {
public:
    // `arguments` as given to main() (the program's path first); `usage` follows the program name
    // on the usage line ("[选项]", "[选项] seal|open <文件>"); `description` is the line under it.
    CommandLine(int argc, char* argv[], QString usage, QString description);

    void addOption(const QCommandLineOption& option);
    // Text printed after the options (environment variables, examples).
    void setNotes(const QString& notes) { m_notes = notes; }
    // Positional arguments are refused unless allowed.
    void allowPositionalArguments() { m_positionalAllowed = true; }
    // Qt's standard options of a GUI application (-session <id>, -platform <name>, -style, -reverse
    // ...) pass untouched: the application object reads them from the same arguments.
    void leaveQtOptionsToQt() { m_qtOptionsAllowed = true; }
    // For a windowed program, which has no terminal to answer on: a wrong command line is logged
    // under quvo.shell and ignored, so that no argument keeps the window from opening, and the help
    // or the version is kept as answer() for a message box instead of being printed.
    void answerInWindow() { m_inWindow = true; }

    // Parses. Returns the exit status when the program is to end now: 0 after printing the help or
    // the version, 2 after telling what is wrong; nothing when it is to go on.
    std::optional<int> parse();
    // After parse() with answerInWindow: the help or version text to show, or empty.
    QString answer() const { return m_answer; }

    // Tells what is wrong with the command line on stderr; returns the exit status 2.
    int refuse(const QString& message) const;

    const QCommandLineParser& parser() const { return m_parser; }
    QString programName() const { return m_programName; }
    QString helpText() const;

private:
    // Exit status 2 after telling, or (in a window) nothing after logging.
    std::optional<int> wrong(const QString& message) const;
    // Exit status 0 after printing, or (in a window) nothing with the text kept as the answer.
    std::optional<int> answered(const QString& text);

    QStringList m_arguments;
    QString m_programName;
    QString m_usage;
    QString m_description;
    QString m_notes;
    bool m_positionalAllowed = false;
    bool m_qtOptionsAllowed = false;
    bool m_inWindow = false;
    QString m_answer;
    QList<QCommandLineOption> m_options;
    QCommandLineParser m_parser;
};
