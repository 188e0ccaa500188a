#pragma once

#include <QByteArray>

// The key text of the settings document, kept in three pieces so that it never stands whole in
// the program file; joined only just before use. The operator's sealing tool uses the same pieces.
namespace ConfigKey {
inline constexpr char piece1[] = "Qv";
inline constexpr char piece2[] = "8k#Z";
inline constexpr char piece3[] = "r4x";
} // namespace ConfigKey

// The 9-character key text.
QByteArray joinConfigKey();
