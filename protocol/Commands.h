#pragma once

#include "protocol/WireFormat.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace vorlin {

// Commands are written exactly as they stand: the pad expects no length, line end or checksum.
inline constexpr char kGetSettings[] = "getsettings";
inline constexpr char kRgbOn[] = "##yes##";
inline constexpr char kRgbOff[] = "##no##";

// Whole seconds a sender waits after the last write to the pad: the settings request and the
// layer upload wait longer than the RGB and layer switches.
inline constexpr int kSwitchIntervalSeconds = 2;
inline constexpr int kRequestIntervalSeconds = 3;

// "##enablegroupN##" or "##disablegroupN##" for layer 1 to 4.
QByteArray LayerSwitchCommand(int layer, bool enable);

// The layer identifier "group1" to "group4" of tab page 0 to 3.
QString LayerId(int pageIndex);

// The page index 0 to 3 of a layer identifier, compared exactly and case-sensitively; none for
// any other text.
std::optional<int> PageIndexOf(const QString &layerId);

} // namespace vorlin
