// The window's side of the serial link: connecting, the device commands with their pacing, the
// layer upload, and the receive path from the serial notification through the poll to the
// window.
#include "app/Main.h"

#include "app/LayerTabs.h"
#include "editor/ReportApplier.h"
#include "link/ConnectError.h"
#include "link/UnopenablePorts.h"
#include "protocol/Commands.h"
#include "protocol/SettingsReport.h"
#include "protocol/UploadMessage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <climits>

using namespace vorlin;

namespace {

const QString kLineSettings = QStringLiteral("115200,N,8,1");
const QString kChoosePort = QStringLiteral("请选择一个串口");
const QString kParameterUpdated = QStringLiteral("Parameter updated, please wait for 5s");

QString NoAnswerMessage(const QString &portText) {
    return QStringLiteral("串口 %1 上的设备没有回应读取设置的请求。\n"
                          "请检查：这个串口是否是键盘所在的串口，键盘是否已插好。")
        .arg(portText);
}

QString NoConfirmationMessage(const QString &portText, int layer) {
    return QStringLiteral(
               "串口 %1 上的设备没有确认写入层%2的设置。\n"
               "请检查：这个串口是否是键盘所在的串口，键盘是否已插好，然后重新写入层%2。")
        .arg(portText)
        .arg(layer);
}

} // namespace

void Main::ScanPorts() {
    MSComm1->HoldPortListing(true);
    int listed = 0;
    for (int number = 1; number <= kHighestScannedPort; ++number) {
        MSComm1->SetCommPort(number);
        // Asked without opening where the system can tell; the port stays closed either way.
        if (!MSComm1->CanOpenPort())
            continue;
        QString tooltip = MSComm1->DevicePath();
        if (!MSComm1->DeviceDescription().isEmpty())
            tooltip += QStringLiteral("\n") + MSComm1->DeviceDescription();
        Combo1->insertItem(listed, QStringLiteral("Com%1").arg(number));
        Combo1->setItemData(listed, tooltip, Qt::ToolTipRole);
        ++listed;
    }
    MSComm1->HoldPortListing(false);
    if (listed > 0)
        Combo1->setCurrentIndex(0);
}

void Main::ConnectLink() {
    connect(MSComm1, &SerialPort::OnComm, this, &Main::OnComm);
    connect(MSComm1, &SerialPort::ConnectionLost, this, &Main::OnConnectionLost);
    connect(Timer1, &QTimer::timeout, this, &Main::Timer1Timer);
    connect(waitTimer, &QTimer::timeout, this, &Main::WaitTimerTimeout);
    connect(Command1, &QPushButton::clicked, this, &Main::Command1Click);
    connect(Command2, &QPushButton::clicked, this, &Main::Command2Click);
    connect(GetSn, &QPushButton::clicked, this, &Main::GetSnClick);
    connect(sendsettings, &QPushButton::clicked, this, &Main::SendSettingsClick);
    connect(Check1, &QCheckBox::clicked, this, &Main::Check1Click);
    // Only a user's click sends a switch; a report setting the box sends nothing.
    for (int layer = 1; layer <= kLayerCount; ++layer)
        connect(LayerCheck(layer), &QCheckBox::clicked, this,
                [this, layer](bool checked) { GroupCheckClick(layer, checked); });
}

void Main::ResetSerialBuffers() {
    MSComm1->SetOutBufferCount(0);
    MSComm1->SetInBufferCount(0);
}

void Main::Command1Click() {
    const QString text = Combo1->currentText();
    if (text.isEmpty()) {
        messageBoxes->Inform(this, kChoosePort);
        return;
    }
    const std::optional<int> number = PortNumberFromText(text);
    // A text that names no usable port is often all a user is left with when the scan could open
    // nothing; the message then says which ports there are: those numbered beyond the scan, to
    // type, and those that would not open, with the reason.
    if (!number) {
        messageBoxes->Warn(this,
                           NotAPortMessage(text) + UnlistedPortsHint(SurveyPorts(*portDirectory)));
        return;
    }
    if (MSComm1->PortOpen())
        return;
    MSComm1->SetCommPort(*number);
    if (!MSComm1->SetPortOpen(true)) {
        const OpenFailure failure = MSComm1->LastOpenFailure();
        QString message = OpenFailureMessage(text, failure, MSComm1->LastErrorText());
        if (failure == OpenFailure::NoSuchPort)
            message += UnlistedPortsHint(SurveyPorts(*portDirectory));
        messageBoxes->Warn(this, message);
        SchedulePoll();
        return;
    }
    connectedPortText = text;
    if (!MSComm1->SetSettings(kLineSettings)) {
        MSComm1->SetPortOpen(false);
        messageBoxes->Warn(this,
                           OpenFailureMessage(text, OpenFailure::Other,
                                              QStringLiteral("无法设置 %1").arg(kLineSettings)));
        SchedulePoll();
        return;
    }
    // Each notification takes everything waiting: the poll sees the same text as with one
    // character a read, without a call per byte when the pad (or line noise) sends a lot.
    MSComm1->SetInputLen(0);
    MSComm1->SetRThreshold(1);
    inbox.RestartRejectionRun();
    ForgetPadSettings();
    SchedulePoll();
    GetSnClick();
}

void Main::Command2Click() {
    MSComm1->SetPortOpen(false);
    PortClosed();
}

void Main::PortClosed() {
    inbox.PortClosed();
    ArmWaitTimer();
    SchedulePoll();
}

void Main::ForgetPadSettings() {
    vorlin::ClearReportedSettings(ReportControls());
    vorlin::ForgetFocusedSlot(focusedSlot, AllValues());
    typedChord.Cancel();
    DescribeEditedSlot();
}

bool Main::Send(const QByteArray &text, int intervalSeconds) {
    if (!pacing->Allows(MSComm1->PortOpen(), intervalSeconds))
        return false;
    if (!MSComm1->Output(text)) {
        // A vanished device closes the port and is reported as a lost connection.
        if (MSComm1->PortOpen())
            messageBoxes->Warn(this,
                               WriteFailedMessage(connectedPortText, MSComm1->LastErrorText()));
        SchedulePoll();
        return false;
    }
    pacing->MarkSent();
    return true;
}

void Main::GetSnClick() {
    if (!Send(kGetSettings, kRequestIntervalSeconds))
        return;
    inbox.Await(MessageInbox::Answer::Report, clock->NowMs());
    ArmWaitTimer();
}

void Main::Check1Click(bool checked) {
    // A switch the pad did not receive must not look as if it had.
    if (!Send(checked ? kRgbOn : kRgbOff, kSwitchIntervalSeconds))
        Check1->setChecked(!checked);
}

void Main::GroupCheckClick(int layer, bool checked) {
    if (!Send(LayerSwitchCommand(layer, checked), kSwitchIntervalSeconds))
        LayerCheck(layer)->setChecked(!checked);
}

void Main::SendSettingsClick() {
    if (!pacing->Allows(MSComm1->PortOpen(), kRequestIntervalSeconds))
        return;
    const int page = NewTab1->currentIndex();
    QStringList slotTexts;
    for (const QLineEdit *box : LayerValues(page + 1))
        slotTexts.append(box->text());
    const std::optional<QByteArray> message =
        BuildUploadMessage(*keyTable, LayerId(page), slotTexts);
    if (!message || !Send(*message, kRequestIntervalSeconds))
        return;
    uploadedLayer = page + 1;
    inbox.Await(MessageInbox::Answer::Acknowledgement, clock->NowMs());
    ArmWaitTimer();
}

void Main::OnComm() {
    const qint64 now = clock->NowMs();
    for (QByteArray chunk = MSComm1->Input(); !chunk.isEmpty(); chunk = MSComm1->Input())
        inbox.Append(chunk, now);
    ArmWaitTimer();
    SchedulePoll();
}

void Main::OnConnectionLost(const QString &reason) {
    PortClosed();
    messageBoxes->Warn(this, ConnectionLostMessage(connectedPortText, reason));
}

void Main::ArmWaitTimer() {
    const std::optional<qint64> deadline = inbox.NextDeadline();
    if (!deadline) {
        if (waitTimer->isActive())
            waitTimer->stop();
        return;
    }
    const qint64 wait = std::clamp<qint64>(*deadline - clock->NowMs(), 0, INT_MAX);
    // Bytes keep moving the quiet gap's deadline on; a timer that fires early looks again and
    // is armed for the rest, which costs less than re-arming it for every read.
    if (!waitTimer->isActive() || wait < waitTimer->remainingTime())
        waitTimer->start(int(wait));
}

void Main::WaitTimerTimeout() {
    const std::vector<MessageInbox::Answer> overdue = inbox.Expire(clock->NowMs());
    ArmWaitTimer();
    // A report given up at the quiet gap waits for the poll like any other.
    SchedulePoll();
    for (const MessageInbox::Answer answer : overdue)
        messageBoxes->Warn(this, answer == MessageInbox::Answer::Report
                                     ? NoAnswerMessage(connectedPortText)
                                     : NoConfirmationMessage(connectedPortText, uploadedLayer));
}

void Main::SchedulePoll() {
    if (!Timer1->isActive())
        Timer1->start();
}

void Main::Timer1Timer() {
    // A box opened by an earlier tick keeps the event loop running; messages that arrive
    // meanwhile wait in the buffer until it is dismissed.
    if (!pollBusy) {
        pollBusy = true;
        while (const std::optional<ReceivedMessage> message = inbox.Take()) {
            switch (message->kind) {
            case ReceivedMessage::Kind::Acknowledgement:
                messageBoxes->Inform(this, kParameterUpdated);
                break;
            case ReceivedMessage::Kind::Report:
                HandleReport(message->text);
                break;
            case ReceivedMessage::Kind::CutOffReport:
                RejectReport(ReportRejection{ReportRejection::Kind::CutOff});
                break;
            }
        }
        pollBusy = false;
    }
    RefreshControlStates();
}

ReportTargets Main::ReportControls() {
    ReportTargets targets;
    targets.layerPages = NewTab1;
    for (int layer = 0; layer < kLayerCount; ++layer) {
        targets.slotBoxes[layer] = LayerValues(layer + 1);
        targets.layerEnableBoxes[layer] = LayerCheck(layer + 1);
        targets.layerEnableLabels[layer] = LayerLabels(layer + 1)[kSlotCount];
    }
    targets.rgbBox = Check1;
    targets.versionLabel = Labelversion;
    return targets;
}

void Main::HandleReport(const QByteArray &text) {
    const DecodedReport decoded = DecodeReport(*keyTable, text);
    if (!decoded.report) {
        RejectReport(*decoded.rejection);
        return;
    }
    inbox.NoteAcceptedReport();
    ApplyReport(*decoded.report, ReportControls());
    Q_EMIT ReportApplied();
}

void Main::RejectReport(const ReportRejection &rejection) {
    const QString reason = RejectionReason(rejection);
    // Told once a run; a noisy line could otherwise bury the window in boxes.
    if (inbox.NoteRejectedReport())
        messageBoxes->Warn(this, QStringLiteral("收到的设置无法使用，已忽略：%1").arg(reason));
    Q_EMIT ReportRejected(reason);
}

void Main::RefreshControlStates() {
    const bool open = MSComm1->PortOpen();
    const std::array<std::pair<QWidget *, bool>, 6> controls = {{{Command1, !open},
                                                                 {Command2, open},
                                                                 {GetSn, open},
                                                                 {sendsettings, open},
                                                                 {Check1, open},
                                                                 {NewTab1, open}}};
    QList<QWidget *> disabling;
    for (const auto &[control, enabled] : controls)
        if (!enabled && control->isEnabled())
            disabling << control;
    for (QPushButton *button : SetKey)
        if (!open && button->isEnabled())
            disabling << button;
    // Controls that become usable go first, so that the input focus of a control being
    // disabled (the connect button just clicked) moves on to one of them rather than wrapping
    // round to the port box. Re-setting an unchanged state would still repaint.
    for (const bool enable : {true, false}) {
        if (!enable)
            KeepFocusOnAUsableControl(open ? Command2 : Command1, disabling);
        for (const auto &[control, enabled] : controls)
            if (enabled == enable && control->isEnabled() != enabled)
                control->setEnabled(enabled);
        for (QPushButton *button : SetKey)
            if (open == enable && button->isEnabled() != open)
                button->setEnabled(open);
    }
}

void Main::KeepFocusOnAUsableControl(QWidget *usable, const QList<QWidget *> &disabling) {
    // Qt moves the focus of a control being disabled along the focus chain, which may be
    // disabled next in the same refresh and leave the window with no focus at all. A control
    // that stays usable keeps the focus: a second Space on 读取设置 must read again, not land on
    // 断开.
    QWidget *focus = focusWidget();
    if (focus == nullptr || focus == usable || !usable->isEnabled())
        return;
    if (std::any_of(disabling.begin(), disabling.end(), [focus](const QWidget *control) {
            return control == focus || control->isAncestorOf(focus);
        }))
        usable->setFocus(Qt::OtherFocusReason);
}
