#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vorlin::sim {

// One piece of what the tool sent, cut out of the byte stream.
struct WireMessage {
    enum class Kind {
        kSettingsRequest, // "getsettings"
        kSwitch,          // a known "##...##" command
        kUnknownSwitch,   // "##word##" with a word the pad does not know
        kUpload,          // "{{" ... "}}", not yet checked inside
        kTruncatedUpload, // "{{" ... cut short by the start of another message
        kGarbage,         // bytes that start no message
    };
    Kind kind;
    QByteArray text;

    bool operator==(const WireMessage &other) const = default;
};

// The content of a well-formed layer upload.
struct LayerUpload {
    int layer = 0; // 0 to 3
    QStringList entries;
};

// Cuts the bytes the tool sends into messages. Nothing on the wire ends a line or gives a length,
// and the bytes arrive in chunks of any size, so the framer keeps what it cannot decide yet and
// decides as soon as the bytes allow it. Text that starts no message is skipped up to the next
// place where one could start ("getsettings", "##", "{{").
class WireFramer {
public:
    // An upload that has not ended after this many bytes is dropped as garbage.
    static constexpr qsizetype kMaxPending = qsizetype{64} * 1024;
    // Longest word between "##" and "##" that is still read as a switch command.
    static constexpr qsizetype kMaxSwitchWord = 32;

    QList<WireMessage> Feed(const QByteArray &bytes);
    const QByteArray &Pending() const { return pending; }

    // The switch commands the pad knows.
    static bool IsKnownSwitch(const QByteArray &text);

    // Checks the inside of a kUpload message: a layer from group1 to group4, "::", then exactly
    // fourteen entries joined by "||", none of them able to break a report's framing.
    static std::optional<LayerUpload> ParseUpload(const QByteArray &message, QString *reason);

private:
    // Cuts one message off the front of pending; none when more bytes are needed first.
    std::optional<WireMessage> Next();
    WireMessage Garbage();
    qsizetype NextStart(qsizetype from) const;
    bool CouldStartAt(qsizetype at) const;

    QByteArray pending;
    // How far an unfinished upload has been searched for its end, so that an upload arriving
    // a byte at a time is not searched from its start every time.
    qsizetype uploadSearched = 0;
};

} // namespace vorlin::sim
