#pragma once

#include "platform/messageboxes.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <deque>

// Answers the program's message boxes during a test and records what they said.
// Unless told otherwise every box is answered with OK (or Yes).
class MessageBoxRecorder final {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    // The answers for the next boxes, in order.
    void answerNext(MessageBoxes::Answer answer) { m_answers.push_back(answer); }

    const QList<MessageBoxes::Request>& requests() const { return m_requests; }
    QStringList texts() const;
    QString lastText() const { return m_requests.isEmpty() ? QString() : m_requests.last().text; }
    int count() const { return int(m_requests.size()); }
    void clear() { m_requests.clear(); }

private:
    QList<MessageBoxes::Request> m_requests;
    std::deque<MessageBoxes::Answer> m_answers;
};

// A registry stand-in in a temporary folder of the test's own; restored on destruction.
class TemporaryRegistry final {
public:
    TemporaryRegistry();
    ~TemporaryRegistry();
    QString path() const;
    // Writes a value directly (test set-up).
    void set(const QString& key, const QString& valueName, const QString& value);

private:
    QTemporaryDir m_dir;
};

// A tiny program that records its arguments, one per line, into a file; tests name it in the
// registry stand-in as the browser or as Thunder.
class RecordingLauncher final {
public:
    RecordingLauncher();
    QString program() const { return m_program; } // path of the script
    // The arguments of each start, in order (waits up to timeoutMs for the first one to arrive).
    QList<QStringList> launches(int timeoutMs = 3000) const;
    void clear();

private:
    QTemporaryDir m_dir;
    QString m_program;
    QString m_record;
};
