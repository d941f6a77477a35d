// The main window's title for the current server: "Tovo", or "Tovo - host:port"
// followed by the server's name path from the server list in brackets.
#pragma once

#include <QString>

namespace FrameTitle {
// "host:port" cut from a connection symbol such as `h:5001:user:pass.
QString hostPort(const QString& serverText);
// The frame title: "Tovo" while disconnected.
QString frameTitle(const QString& serverText, const QString& serverTitle);
// The window caption: the active document's name, " - ", then the frame title.
QString caption(const QString& documentName, const QString& frameTitle);
} // namespace FrameTitle
