#pragma once

#include <QByteArray>

// Roots of the outside servers, without a trailing "/". Each can be pointed elsewhere (tests,
// mirrors, the demo) by an environment variable, read at every call.
namespace ServerRoots {

// The variable's value when it is set and not empty, else the fallback; trailing "/" removed.
QByteArray fromEnvironment(const char* variable, const char* fallback);

// The product server (settings document, counter pages, update archive): QUVO_PRODUCT_SERVER.
QByteArray productServer();

} // namespace ServerRoots
