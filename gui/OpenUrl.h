#pragma once

#include <functional>

#include <QString>

// Opens a web address, a mail address ("mailto:...") or a local file with the desktop's
// handler. Links and the manual go through here, so tests can see what would be opened
// without starting a browser. GUI thread only.
using OpenUrlHandler = std::function<bool(const QString& address)>;

// True when the handler accepted the address.
bool OpenUrl(const QString& address);

// Replaces the handler and returns the previous one; an empty handler restores the desktop's.
OpenUrlHandler SetOpenUrlHandler(OpenUrlHandler handler);
