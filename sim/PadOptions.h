#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vorlin::sim {

// How a simulated pad behaves on the line, including the faults it can be told to make.
struct PadOptions {
    // After which answer the pad closes the line (as if unplugged) and goes away.
    enum class HangUp { kNever, kAfterSettingsReport, kAfterUpload };

    // Name of the pad's link in the virtual-ports folder.
    QString name = QStringLiteral("simulated-pad");
    // Report only the first six fields (layer, four slot lists, RGB), as older firmware does.
    bool shortForm = false;
    // Answer "done" to the RGB and layer switches too (the pad normally answers nothing).
    bool ackSwitches = false;
    // Neither store nor answer a layer upload, as a busy or hung pad does.
    bool ignoreUploads = false;
    // Write every answer at once instead of at the pace of a 115200-baud line.
    bool instant = false;
    // Sent before every answer.
    QByteArray noise;
    // Send only this many bytes of each settings report.
    std::optional<int> cutReport;
    HangUp hangUp = HangUp::kNever;
    // Wait this long before every answer.
    int delayMs = 0;
    // Log every message in both directions to standard error.
    bool verbose = false;
};

} // namespace vorlin::sim
