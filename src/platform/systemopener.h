#pragma once

#include <QString>

// The desktop's own opener of addresses, for Launcher only: it checks the address first
// (systemopener_win.cpp, systemopener_unix.cpp).
namespace SystemOpener {

// Hands over an address that passed AddressPolicy. False when the opener could not be asked.
bool open(const QString& acceptedAddress);

} // namespace SystemOpener
