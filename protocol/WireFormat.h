#pragma once

// What the pad's messages are made of, in both directions: how many layers and slots they carry,
// their frames and their separators. Everything that builds a message or takes one apart spells
// them from here. All of them are ASCII; the framer relies on each frame being one character
// twice.

namespace vorlin {

// The pad has four layers of fourteen slots each; a slot's index is the same in every layer, in
// the upload and in the settings report.
inline constexpr int kLayerCount = 4;
inline constexpr int kSlotCount = 14;

// Between the key tokens of one slot, on the wire as on screen ("L_CTRL + a", "128 + a").
inline constexpr char kTokenSeparator[] = " + ";
// Between the slot entries of one layer, in the upload and in the report.
inline constexpr char kSlotEntrySeparator[] = "||";

// Host to pad, the layer upload: "{{" layer "::" slot entries "}}".
inline constexpr char kUploadOpening[] = "{{";
inline constexpr char kLayerSeparator[] = "::";
inline constexpr char kUploadClosing[] = "}}";

// Pad to host, the settings report: "[[" fields joined by "!!" "]]".
inline constexpr char kReportOpening[] = "[[";
inline constexpr char kFieldSeparator[] = "!!";
inline constexpr char kReportClosing[] = "]]";
// "[[]]", a report with an empty body: the shortest text that is framed as a report.
inline constexpr int kEmptyReportBytes = sizeof(kReportOpening) - 1 + sizeof(kReportClosing) - 1;

// Pad to host: the pad has taken an upload or a switch.
inline constexpr char kAcknowledgement[] = "done";

} // namespace vorlin
