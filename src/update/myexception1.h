#pragma once

#include <QString>

#include <stdexcept>

// The program's own failure, raised inside a command and shown by the command's guard.
class MyException1 final : public std::runtime_error {
public:
    explicit MyException1(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
