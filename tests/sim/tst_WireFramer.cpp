#include "sim/WireFramer.h"

#include <QTest>

using vorlin::sim::LayerUpload;
using vorlin::sim::WireFramer;
using vorlin::sim::WireMessage;
using Kind = WireMessage::Kind;
using Messages = QList<WireMessage>;

Q_DECLARE_METATYPE(WireMessage)

namespace {

const QByteArray kUpload = "{{group1::606||607||506||507||128 + x||128 + v||128 + 129 + 177||198||"
                           "a||225||130 + 179||601||176||505}}";

WireMessage M(Kind kind, const QByteArray &text) {
    return WireMessage{kind, text};
}

// Garbage is cut off as soon as it is recognised, so how much of it forms one message depends on
// the chunks; everything else must not.
Messages MergeGarbage(const Messages &messages) {
    Messages merged;
    for (const WireMessage &message : messages) {
        if (message.kind == Kind::kGarbage && !merged.isEmpty() &&
            merged.last().kind == Kind::kGarbage)
            merged.last().text += message.text;
        else
            merged << message;
    }
    return merged;
}

QByteArray Describe(const Messages &messages) {
    QByteArray text;
    for (const WireMessage &message : messages)
        text += QByteArray::number(int(message.kind)) + ":" + message.text + " ";
    return text;
}

} // namespace

class TestWireFramer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framing_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<Messages>("expected");
        QTest::addColumn<QByteArray>("pending");

        QTest::newRow("settings request")
            << QByteArray("getsettings") << Messages{M(Kind::kSettingsRequest, "getsettings")}
            << QByteArray();
        for (const char *command : {"##yes##", "##no##", "##enablegroup1##", "##enablegroup4##",
                                    "##disablegroup2##", "##disablegroup3##"})
            QTest::newRow(command)
                << QByteArray(command) << Messages{M(Kind::kSwitch, command)} << QByteArray();
        QTest::newRow("upload") << kUpload << Messages{M(Kind::kUpload, kUpload)} << QByteArray();
        QTest::newRow("back to back")
            << "getsettings##no##" + kUpload + "##enablegroup3##"
            << Messages{M(Kind::kSettingsRequest, "getsettings"), M(Kind::kSwitch, "##no##"),
                        M(Kind::kUpload, kUpload), M(Kind::kSwitch, "##enablegroup3##")}
            << QByteArray();
        QTest::newRow("text before a command")
            << QByteArray("hello getsettings")
            << Messages{M(Kind::kGarbage, "hello "), M(Kind::kSettingsRequest, "getsettings")}
            << QByteArray();
        QTest::newRow("broken start of a command")
            << QByteArray("getgetsettings")
            << Messages{M(Kind::kGarbage, "get"), M(Kind::kSettingsRequest, "getsettings")}
            << QByteArray();
        QTest::newRow("unknown switch") << QByteArray("##enablegroup5##getsettings")
                                        << Messages{M(Kind::kUnknownSwitch, "##enablegroup5##"),
                                                    M(Kind::kSettingsRequest, "getsettings")}
                                        << QByteArray();
        QTest::newRow("switch in other case")
            << QByteArray("##YES##") << Messages{M(Kind::kUnknownSwitch, "##YES##")}
            << QByteArray();
        QTest::newRow("stray hash before a switch")
            << QByteArray("###yes##")
            << Messages{M(Kind::kGarbage, "#"), M(Kind::kSwitch, "##yes##")} << QByteArray();
        QTest::newRow("switch broken by a blank")
            << QByteArray("##ye s##no##")
            << Messages{M(Kind::kGarbage, "##ye s"), M(Kind::kSwitch, "##no##")} << QByteArray();
        QTest::newRow("switch word too long")
            << "##" + QByteArray(40, 'a') + "##yes##"
            << Messages{M(Kind::kGarbage, "##" + QByteArray(40, 'a')), M(Kind::kSwitch, "##yes##")}
            << QByteArray();
        QTest::newRow("upload cut by a settings request")
            << QByteArray("{{group1::a||b||cgetsettings")
            << Messages{M(Kind::kTruncatedUpload, "{{group1::a||b||c"),
                        M(Kind::kSettingsRequest, "getsettings")}
            << QByteArray();
        QTest::newRow("upload cut by another upload")
            << "{{group2::a||b" + kUpload
            << Messages{M(Kind::kTruncatedUpload, "{{group2::a||b"), M(Kind::kUpload, kUpload)}
            << QByteArray();
        QTest::newRow("upload cut by a switch")
            << QByteArray("{{group2::a##no##")
            << Messages{M(Kind::kTruncatedUpload, "{{group2::a"), M(Kind::kSwitch, "##no##")}
            << QByteArray();
        QTest::newRow("single brace before an upload")
            << "{x" + kUpload << Messages{M(Kind::kGarbage, "{x"), M(Kind::kUpload, kUpload)}
            << QByteArray();
        QTest::newRow("the pad's own answers echoed")
            << QByteArray("done[[group1!!yes]]")
            << Messages{M(Kind::kGarbage, "done[[group1!!yes]]")} << QByteArray();
        QTest::newRow("unfinished settings request waits")
            << QByteArray("xgetset") << Messages{M(Kind::kGarbage, "x")} << QByteArray("getset");
        QTest::newRow("unfinished upload waits")
            << QByteArray("{{group1::a||b") << Messages{} << QByteArray("{{group1::a||b");
        QTest::newRow("unfinished switch waits")
            << QByteArray("##disablegro") << Messages{} << QByteArray("##disablegro");
        QTest::newRow("single hash waits") << QByteArray("#") << Messages{} << QByteArray("#");
        QTest::newRow("empty") << QByteArray() << Messages{} << QByteArray();
    }

    void framing() {
        QFETCH(QByteArray, input);
        QFETCH(Messages, expected);
        QFETCH(QByteArray, pending);

        WireFramer whole;
        const Messages got = whole.Feed(input);
        QCOMPARE(Describe(got), Describe(expected));
        QCOMPARE(whole.Pending(), pending);

        // The same bytes in two chunks, split everywhere, and a byte at a time.
        for (qsizetype split = 0; split <= input.size(); ++split) {
            WireFramer framer;
            Messages messages = framer.Feed(input.left(split));
            messages += framer.Feed(input.mid(split));
            QCOMPARE(Describe(MergeGarbage(messages)), Describe(MergeGarbage(expected)));
            QCOMPARE(framer.Pending(), pending);
        }
        WireFramer framer;
        Messages messages;
        for (char byte : input)
            messages += framer.Feed(QByteArray(1, byte));
        QCOMPARE(Describe(MergeGarbage(messages)), Describe(MergeGarbage(expected)));
        QCOMPARE(framer.Pending(), pending);
    }

    void unendingUploadIsDropped_data() {
        QTest::addColumn<int>("chunk");
        QTest::newRow("one write") << 0;
        QTest::newRow("small chunks") << 1000;
    }
    void unendingUploadIsDropped() {
        QFETCH(int, chunk);
        const QByteArray input = "{{group1::" + QByteArray(WireFramer::kMaxPending + 100, 'a');
        WireFramer framer;
        Messages messages;
        for (qsizetype at = 0; at < input.size(); at += chunk ? chunk : input.size())
            messages += framer.Feed(input.mid(at, chunk ? chunk : input.size()));
        QVERIFY(framer.Pending().size() <= WireFramer::kMaxPending);
        QVERIFY(!messages.isEmpty());
        for (const WireMessage &message : messages)
            QCOMPARE(message.kind, Kind::kGarbage);
        // The framer is usable again afterwards.
        messages = framer.Feed("getsettings");
        QCOMPARE(messages.last(), M(Kind::kSettingsRequest, "getsettings"));
    }

    void parseUpload_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("layer"); // -1: rejected
        QTest::addColumn<QStringList>("entries");
        const QStringList worked{
            "606", "607", "506", "507",       "128 + x", "128 + v", "128 + 129 + 177",
            "198", "a",   "225", "130 + 179", "601",     "176",     "505"};
        QTest::newRow("worked example") << kUpload << 0 << worked;
        QTest::newRow("layer 4") << "{{group4::" + worked.join("||").toLatin1() + "}}" << 3
                                 << worked;
        QStringList empties(14);
        QTest::newRow("empty entries kept as sent")
            << "{{group2::" + empties.join("||").toLatin1() + "}}" << 1 << empties;
        QTest::newRow("unknown layer")
            << "{{group5::" + worked.join("||").toLatin1() + "}}" << -1 << QStringList();
        QTest::newRow("layer in other case")
            << "{{Group1::" + worked.join("||").toLatin1() + "}}" << -1 << QStringList();
        QTest::newRow("thirteen entries")
            << "{{group1::" + worked.mid(1).join("||").toLatin1() + "}}" << -1 << QStringList();
        QTest::newRow("fifteen entries")
            << "{{group1::" + (worked + QStringList{"a"}).join("||").toLatin1() + "}}" << -1
            << QStringList();
        QTest::newRow("no layer separator")
            << "{{group1" + worked.join("||").toLatin1() + "}}" << -1 << QStringList();
        QStringList framingBreaker = worked;
        framingBreaker[3] = "a!!b";
        QTest::newRow("entry that would break a report")
            << "{{group1::" + framingBreaker.join("||").toLatin1() + "}}" << -1 << QStringList();
    }
    void parseUpload() {
        QFETCH(QByteArray, message);
        QFETCH(int, layer);
        QFETCH(QStringList, entries);
        QString reason;
        const std::optional<LayerUpload> upload = WireFramer::ParseUpload(message, &reason);
        if (layer < 0) {
            QVERIFY(!upload);
            QVERIFY(!reason.isEmpty());
            return;
        }
        QVERIFY2(upload, qPrintable(reason));
        QCOMPARE(upload->layer, layer);
        QCOMPARE(upload->entries, entries);
    }
};

QTEST_GUILESS_MAIN(TestWireFramer)
#include "tst_WireFramer.moc"
