#include "sim/PadState.h"

#include <QFile>
#include <QSet>

namespace vorlin::sim {
namespace {

// State file: plain text, one setting per line as key=value. Blank lines and lines starting
// with '#' are ignored; a trailing carriage return is dropped. Keys and single values are trimmed,
// slot lists are taken byte for byte. Every key may appear at most once; keys left out keep their
// factory values.
//   layer=group2                    the layer reported as current (group1 to group4)
//   rgb=yes                         RGB light effect, yes or no
//   enabled=yes,yes,no,no           enable flag of layers 1 to 4
//   version=1.0.2                   firmware version, reported unchanged
//   group1=e0||e1||...||e13         fourteen slot entries of layer 1 in wire form, e.g.
//                                   606||607||506||507||128 + x||...; group2 to group4 alike
// No value may contain "!!", "[[" or "]]", which would break the
// report's framing.
constexpr char kFormat[] =
    "State file: one setting per line as key=value; blank lines and lines starting with '#'\n"
    "are ignored; each key at most once; keys left out keep the factory values.\n"
    "  layer=group2             layer reported as current (group1 to group4)\n"
    "  rgb=yes                  RGB light effect: yes or no\n"
    "  enabled=yes,yes,no,no    enable flags of layers 1 to 4\n"
    "  version=1.0.2            firmware version\n"
    "  group1=e0||e1||...||e13  the fourteen slot entries of layer 1 in wire form,\n"
    "                           e.g. 606||607||128 + x||...; likewise group2 to group4\n"
    "No value may contain \"!!\", \"[[\" or \"]]\".\n";

// Layer 1 as the tool's own worked example writes it: scroll, volume, cut/paste, task manager,
// F5, a, keypad 1, Alt+Tab, click, Enter, mute.
const QStringList kFactoryLayers[PadState::kLayerCount] = {
    {"606", "607", "506", "507", "128 + x", "128 + v", "128 + 129 + 177", "198", "a", "225",
     "130 + 179", "601", "176", "505"},
    // Editing: arrows on the knobs, clipboard and undo/redo, media keys, Explorer, help.
    {"218", "217", "216", "215", "128 + c", "128 + v", "128 + z", "128 + 129 + z", "504", "501",
     "502", "131 + e", "194", "503"},
    // Number pad.
    {"223", "222", "211", "214", "225", "226", "227", "228", "229", "230", "231", "232", "233",
     "224"},
    // Mouse and browser: cursor on the knobs, buttons, home page, search, back, Alt+F4, lock.
    {"608", "610", "609", "611", "602", "603", "604", "605", "508", "512", "514", "130 + 197",
     "131 + l", "601"},
};

bool BreaksFraming(const QString &value) {
    return value.contains(QLatin1String("!!")) || value.contains(QLatin1String("[[")) ||
           value.contains(QLatin1String("]]"));
}

std::optional<bool> ParseFlag(const QString &value) {
    if (value == QLatin1String("yes"))
        return true;
    if (value == QLatin1String("no"))
        return false;
    return std::nullopt;
}

} // namespace

PadState::PadState()
    : currentLayer(QStringLiteral("group1")), enabled{true, true, false, false},
      version(QStringLiteral("1.0.2")) {
    for (int i = 0; i < kLayerCount; ++i)
        layers[i] = kFactoryLayers[i];
}

QString LayerId(int index) {
    return QStringLiteral("group%1").arg(index + 1);
}

std::optional<int> LayerIndex(QStringView id) {
    for (int i = 0; i < PadState::kLayerCount; ++i) {
        if (id == LayerId(i))
            return i;
    }
    return std::nullopt;
}

QByteArray BuildReport(const PadState &state, bool shortForm) {
    const auto flag = [](bool on) {
        return on ? QByteArrayLiteral("yes") : QByteArrayLiteral("no");
    };
    QByteArrayList fields;
    fields << state.currentLayer.toLatin1();
    for (const QStringList &layer : state.layers)
        fields << layer.join(QLatin1String("||")).toLatin1();
    fields << flag(state.rgbOn);
    if (!shortForm) {
        for (bool on : state.enabled)
            fields << flag(on);
        fields << state.version.toLatin1();
    }
    return "[[" + fields.join("!!") + "]]";
}

QString PadStateFileFormat() {
    return QString::fromLatin1(kFormat);
}

std::optional<PadState> ParsePadState(const QByteArray &text, QString *error) {
    PadState state;
    QSet<QString> seen;
    const QByteArrayList lines = text.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = QString::fromLatin1(lines[n]);
        if (line.endsWith(u'\r'))
            line.chop(1);
        const auto fail = [&](const QString &why) {
            *error = QStringLiteral("line %1: %2").arg(n + 1).arg(why);
            return std::nullopt;
        };
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            return fail(QStringLiteral("expected key=value, found \"%1\"").arg(line));
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1);
        if (seen.contains(key))
            return fail(QStringLiteral("\"%1\" is given twice").arg(key));
        seen.insert(key);
        if (BreaksFraming(value))
            return fail(QStringLiteral("the value of \"%1\" contains !!, [[ or ]]").arg(key));

        if (key == QLatin1String("layer")) {
            if (!LayerIndex(value.trimmed()))
                return fail(
                    QStringLiteral("layer must be group1 to group4, not \"%1\"").arg(value));
            state.currentLayer = value.trimmed();
        } else if (key == QLatin1String("rgb")) {
            const std::optional<bool> on = ParseFlag(value.trimmed());
            if (!on)
                return fail(QStringLiteral("rgb must be yes or no, not \"%1\"").arg(value));
            state.rgbOn = *on;
        } else if (key == QLatin1String("enabled")) {
            const QStringList flags = value.trimmed().split(u',');
            if (flags.size() != PadState::kLayerCount)
                return fail(QStringLiteral("enabled needs four flags, found %1").arg(flags.size()));
            for (int i = 0; i < PadState::kLayerCount; ++i) {
                const std::optional<bool> on = ParseFlag(flags[i].trimmed());
                if (!on)
                    return fail(QStringLiteral("enabled flag %1 must be yes or no, not \"%2\"")
                                    .arg(i + 1)
                                    .arg(flags[i]));
                state.enabled[i] = *on;
            }
        } else if (key == QLatin1String("version")) {
            if (value.trimmed().isEmpty())
                return fail(QStringLiteral("version is empty"));
            state.version = value.trimmed();
        } else if (const std::optional<int> layer = LayerIndex(key)) {
            const QStringList entries = value.split(QLatin1String("||"));
            if (entries.size() != PadState::kSlotCount)
                return fail(QStringLiteral("%1 needs 14 entries joined by ||, found %2")
                                .arg(key)
                                .arg(entries.size()));
            state.layers[*layer] = entries;
        } else {
            return fail(QStringLiteral("unknown key \"%1\"").arg(key));
        }
    }
    return state;
}

std::optional<PadState> LoadPadState(const QString &path, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    std::optional<PadState> state = ParsePadState(file.readAll(), error);
    if (!state)
        *error = path + QStringLiteral(": ") + *error;
    return state;
}

} // namespace vorlin::sim
