#pragma once

#include "link/SerialPort.h"
#include "link/UnopenablePorts.h"

#include <QString>

#include <optional>

namespace vorlin {

// The port number in the port box's text: every "Com" removed (exact case), the rest read as a
// whole number. None when the rest is not a number ("abc", "" or "Combo1").
std::optional<int> PortNumberFromText(const QString &text);

// What the user is told when a port cannot be opened, in the window's language.
QString NotAPortMessage(const QString &text);
QString OpenFailureMessage(const QString &portText, OpenFailure failure, const QString &systemText);
QString ConnectionLostMessage(const QString &portText, const QString &systemText);
QString WriteFailedMessage(const QString &portText, const QString &systemText);

// Added to a message about a port text that names no usable port: the system's ports that the
// port list leaves out because of their number, to be typed, and those that will not open, each
// with its reason, and what to do about it. Empty when there are none.
QString UnlistedPortsHint(const PortSurvey &survey);

} // namespace vorlin
