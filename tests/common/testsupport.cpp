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
        script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$0.tmp\"; done\n"
                     "printf '%s\\n' '--end--' >> \"$0.tmp\"\ncat \"$0.tmp\" >> '" +
                     m_record.toUtf8() + "'\nrm -f \"$0.tmp\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

QList<QStringList> RecordingLauncher::launches(int timeoutMs) const
{
    // The record file is created before the first start has written into it: wait for a complete
    // record, not just for the file.
    const auto readRecord = [this] {
        QFile file(m_record);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QElapsedTimer timer;
    timer.start();
    QByteArray record = readRecord();
    while (!record.endsWith("--end--\n") && timer.elapsed() < timeoutMs) {
        QTest::qWait(20);
        record = readRecord();
    }
    QList<QStringList> result;
    QStringList current;
    for (const QByteArray& line : record.split('\n')) {
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
