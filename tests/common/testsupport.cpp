#include "testsupport.h"

#include "platform/registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QThread>

MessageBoxRecorder::MessageBoxRecorder()
{
    MessageBoxes::setResponderForTesting([this](const MessageBoxes::Request& request) {
        m_requests.append(request);
        if (!m_answers.empty()) {
            const MessageBoxes::Answer answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return request.kind == MessageBoxes::Kind::YesNo ? MessageBoxes::Answer::Yes : MessageBoxes::Answer::Ok;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    MessageBoxes::setResponderForTesting({});
}

QStringList MessageBoxRecorder::texts() const
{
    QStringList result;
    for (const auto& request : m_requests)
        result.append(request.text);
    return result;
}

TemporaryRegistry::TemporaryRegistry()
{
    Registry::setStorePathForTesting(path());
}

TemporaryRegistry::~TemporaryRegistry()
{
    Registry::setStorePathForTesting({});
}

QString TemporaryRegistry::path() const
{
    return m_dir.filePath(QStringLiteral("registry.ini"));
}

void TemporaryRegistry::set(const QString& key, const QString& valueName, const QString& value)
{
    QVERIFY(Registry::writeString(key, valueName, value));
}

RecordingLauncher::RecordingLauncher()
{
    m_program = m_dir.filePath(QStringLiteral("record launcher"));
    m_record = m_dir.filePath(QStringLiteral("launches.txt"));
    QFile script(m_program);
    if (script.open(QIODevice::WriteOnly)) {
        // Each start appends its arguments (one per line, NUL-free) and a separator line.
        // The scratch file is per start ($$), so starts running at the same time do not mix.
        script.write("#!/bin/sh\nt=\"$0.$$.tmp\"\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$t\"; done\n"
                     "printf '%s\\n' '--end--' >> \"$t\"\ncat \"$t\" >> '" +
                     m_record.toUtf8() + "'\nrm -f \"$t\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

QList<QStringList> RecordingLauncher::launches(int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    // The file exists a moment before the first record is complete in it.
    const auto hasRecord = [this] {
        QFile file(m_record);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains("--end--\n");
    };
    while (!hasRecord() && timer.elapsed() < timeoutMs)
        QTest::qWait(20);
    QList<QStringList> result;
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QStringList current;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line == "--end--") {
            result.append(current);
            current.clear();
        } else if (!line.isEmpty() || !current.isEmpty()) {
            current.append(QString::fromUtf8(line));
        }
    }
    return result;
}

void RecordingLauncher::clear()
{
    QFile::remove(m_record);
}
