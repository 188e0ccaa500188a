#pragma once

#include <QString>

#include <optional>
#include <utility>

// What code that may throw inside itself returns at its boundary: the value, or the text of the
// failure that kept it from being made.
template <class T> class Expected final {
public:
    Expected(T value) : m_value(std::move(value)) {}
    static Expected failure(QString error)
    {
        Expected failed;
        failed.m_error = std::move(error);
        return failed;
    }

    bool ok() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const QString& error() const { return m_error; } // empty when ok()

private:
    Expected() = default;
    std::optional<T> m_value;
    QString m_error;
};
