#include "sim/WireFramer.h"

#include "sim/PadState.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace vorlin::sim {
namespace {

constexpr char kSettingsRequest[] = "getsettings";
constexpr qsizetype kSettingsRequestSize = sizeof(kSettingsRequest) - 1;
// Everything a message can start with. None of them can occur inside a well-formed upload: its
// entries are single characters and three-digit codes joined by " + ".
constexpr const char *kStarts[] = {kSettingsRequest, "##", "{{"};

bool IsWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

QList<WireMessage> WireFramer::Feed(const QByteArray &bytes) {
    pending += bytes;
    QList<WireMessage> messages;
    while (std::optional<WireMessage> message = Next())
        messages << *message;
    return messages;
}

bool WireFramer::IsKnownSwitch(const QByteArray &text) {
    if (text == "##yes##" || text == "##no##")
        return true;
    for (char layer = '1'; layer <= '4'; ++layer) {
        if (text == QByteArray("##enablegroup") + layer + "##" ||
            text == QByteArray("##disablegroup") + layer + "##")
            return true;
    }
    return false;
}

std::optional<LayerUpload> WireFramer::ParseUpload(const QByteArray &message, QString *reason) {
    if (!message.startsWith("{{") || !message.endsWith("}}") || message.size() < 4) {
        *reason = QStringLiteral("not framed by {{ and }}");
        return std::nullopt;
    }
    const QByteArray body = message.mid(2, message.size() - 4);
    const qsizetype separator = body.indexOf("::");
    if (separator < 0) {
        *reason = QStringLiteral("no :: after the layer");
        return std::nullopt;
    }
    const QString layerId = QString::fromLatin1(body.left(separator));
    const std::optional<int> layer = LayerIndex(layerId);
    if (!layer) {
        *reason = QStringLiteral("unknown layer \"%1\"").arg(layerId);
        return std::nullopt;
    }
    LayerUpload upload;
    upload.layer = *layer;
    upload.entries = QString::fromLatin1(body.mid(separator + 2)).split(QLatin1String("||"));
    if (upload.entries.size() != PadState::kSlotCount) {
        *reason = QStringLiteral("%1 entries instead of %2")
                      .arg(upload.entries.size())
                      .arg(PadState::kSlotCount);
        return std::nullopt;
    }
    for (const QString &entry : upload.entries) {
        if (entry.contains(QLatin1String("!!")) || entry.contains(QLatin1String("[[")) ||
            entry.contains(QLatin1String("]]"))) {
            *reason = QStringLiteral("entry \"%1\" would break the report's framing").arg(entry);
            return std::nullopt;
        }
    }
    return upload;
}

std::optional<WireMessage> WireFramer::Next() {
    const qsizetype size = pending.size();
    if (size == 0)
        return std::nullopt;
    const auto take = [this](WireMessage::Kind kind, qsizetype length) {
        WireMessage message{kind, pending.left(length)};
        pending.remove(0, length);
        uploadSearched = 0;
        return message;
    };

    switch (pending.at(0)) {
    case 'g': {
        const qsizetype compared = std::min(size, kSettingsRequestSize);
        if (std::memcmp(pending.constData(), kSettingsRequest, compared) != 0)
            return Garbage();
        if (size < kSettingsRequestSize)
            return std::nullopt;
        return take(WireMessage::Kind::kSettingsRequest, kSettingsRequestSize);
    }
    case '#': {
        if (size < 2)
            return std::nullopt;
        if (pending.at(1) != '#')
            return Garbage();
        for (qsizetype i = 2; i < size; ++i) {
            const char c = pending.at(i);
            if (c == '#') {
                if (i + 1 >= size)
                    return std::nullopt;
                if (pending.at(i + 1) != '#')
                    return Garbage();
                const bool known = IsKnownSwitch(pending.left(i + 2));
                return take(known ? WireMessage::Kind::kSwitch : WireMessage::Kind::kUnknownSwitch,
                            i + 2);
            }
            if (!IsWordCharacter(c) || i - 2 >= kMaxSwitchWord)
                return Garbage();
        }
        return std::nullopt;
    }
    case '{': {
        if (size < 2)
            return std::nullopt;
        if (pending.at(1) != '{')
            return Garbage();
        // Markers are at most eleven bytes long: look again at the last ten bytes already
        // searched in case a marker straddled the end of the previous chunk.
        const qsizetype from = std::max<qsizetype>(2, uploadSearched - 10);
        const qsizetype end = pending.indexOf("}}", from);
        qsizetype interruption = -1;
        for (const char *start : kStarts) {
            const qsizetype at = pending.indexOf(start, from);
            if (at >= 0 && (interruption < 0 || at < interruption))
                interruption = at;
        }
        if (end >= 0 && (interruption < 0 || end < interruption))
            return take(WireMessage::Kind::kUpload, end + 2);
        if (interruption >= 0)
            return take(WireMessage::Kind::kTruncatedUpload, interruption);
        if (size > kMaxPending)
            return take(WireMessage::Kind::kGarbage, size);
        uploadSearched = size;
        return std::nullopt;
    }
    default:
        return Garbage();
    }
}

WireMessage WireFramer::Garbage() {
    const qsizetype length = NextStart(1);
    WireMessage message{WireMessage::Kind::kGarbage, pending.left(length)};
    pending.remove(0, length);
    uploadSearched = 0;
    return message;
}

qsizetype WireFramer::NextStart(qsizetype from) const {
    for (qsizetype at = from; at < pending.size(); ++at) {
        if (CouldStartAt(at))
            return at;
    }
    return pending.size();
}

bool WireFramer::CouldStartAt(qsizetype at) const {
    const qsizetype left = pending.size() - at;
    return std::any_of(std::begin(kStarts), std::end(kStarts), [&](const char *start) {
        const qsizetype compared = std::min<qsizetype>(left, qsizetype(std::strlen(start)));
        return std::memcmp(pending.constData() + at, start, compared) == 0;
    });
}

} // namespace vorlin::sim
