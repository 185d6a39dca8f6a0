#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace vorlin::sim {

// Everything a pad remembers. Slot entries are kept in their wire form, exactly as they arrived
// ("128 + x", "198", "a"): the pad never turns codes into names. Each character of an entry
// stands for one byte on the wire (Latin-1), so any byte sequence survives a round trip.
// A default-constructed state is the pad as it leaves the factory.
struct PadState {
    static constexpr int kLayerCount = 4;
    static constexpr int kSlotCount = 14;

    PadState();

    // Fourteen slot entries per layer, slot 0 first.
    std::array<QStringList, kLayerCount> layers;
    // The layer the pad reports as current: "group1" to "group4".
    QString currentLayer;
    bool rgbOn = true;
    std::array<bool, kLayerCount> enabled{};
    QString version;

    bool operator==(const PadState &other) const = default;
};

// "group1" to "group4" for 0 to 3.
QString LayerId(int index);
// 0 to 3 for "group1" to "group4"; none for anything else.
std::optional<int> LayerIndex(QStringView id);

// The settings report the pad sends for the state: "[[" fields joined by "!!" "]]". The full form
// has eleven fields (layer, four slot lists, RGB, four enable flags, version); the short form only
// the first six.
QByteArray BuildReport(const PadState &state, bool shortForm);

// Reads a state file (format in PadState.cpp and in the program's --help). Settings missing from
// the file keep their factory values. On a fault returns none and describes it, with its line.
// A description of the state-file format for the program's help.
QString PadStateFileFormat();
std::optional<PadState> ParsePadState(const QByteArray &text, QString *error);
std::optional<PadState> LoadPadState(const QString &path, QString *error);

} // namespace vorlin::sim
