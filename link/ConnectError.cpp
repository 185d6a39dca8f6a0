#include "link/ConnectError.h"

namespace vorlin {
namespace {

// What a user who may not open serial ports can do about it; empty where the system has no such
// remedy to offer.
QString DialoutHint() {
    if (!HostPortPlatform().PortsNeedDialoutGroup())
        return {};
    return QStringLiteral("请把当前用户加入 dialout 组：\n"
                          "    sudo usermod -aG dialout $USER\n"
                          "然后注销并重新登录，再连接。");
}

} // namespace

std::optional<int> PortNumberFromText(const QString &text) {
    QString rest = text;
    rest.remove(QStringLiteral("Com"), Qt::CaseSensitive);
    bool ok = false;
    const int number = rest.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

QString NotAPortMessage(const QString &text) {
    return QStringLiteral("“%1”不是串口名称。请从列表中选择串口，或输入如 Com3 的串口名称。")
        .arg(text);
}

QString OpenFailureMessage(const QString &portText, OpenFailure failure,
                           const QString &systemText) {
    switch (failure) {
    case OpenFailure::NoSuchPort:
        return QStringLiteral("找不到串口 %1。请检查键盘是否已插好，或从列表中选择其他串口。")
            .arg(portText);
    case OpenFailure::PermissionDenied: {
        QString message = QStringLiteral("没有权限打开串口 %1。").arg(portText);
        if (const QString hint = DialoutHint(); !hint.isEmpty())
            message += QStringLiteral("\n\n") + hint;
        return message;
    }
    case OpenFailure::Busy:
        return QStringLiteral("串口 %1 正被其他程序占用。请关闭使用该串口的程序后再连接。")
            .arg(portText);
    case OpenFailure::None:
    case OpenFailure::Other:
        break;
    }
    return QStringLiteral("无法打开串口 %1：%2").arg(portText, systemText);
}

QString ConnectionLostMessage(const QString &portText, const QString &systemText) {
    return QStringLiteral("与串口 %1 的连接已断开（%2）。串口已关闭，请检查键盘后重新连接。")
        .arg(portText, systemText);
}

QString WriteFailedMessage(const QString &portText, const QString &systemText) {
    return QStringLiteral("向串口 %1 发送数据失败：%2").arg(portText, systemText);
}

QString UnlistedPortsHint(const PortSurvey &survey) {
    QString hint;
    if (!survey.beyondScan.isEmpty()) {
        hint += QStringLiteral("\n\n以下串口的编号大于 %1，不在串口列表中。"
                               "请在选择串口框中输入其名称（如 Com%2）后再连接：")
                    .arg(kHighestScannedPort)
                    .arg(survey.beyondScan.first().number);
        for (const PortEntry &port : survey.beyondScan) {
            hint += QStringLiteral("\n    Com%1（%2）").arg(port.number).arg(port.devicePath);
            if (!port.description.isEmpty())
                hint += QStringLiteral("：") + port.description;
        }
    }
    if (survey.unopenable.isEmpty())
        return hint;
    hint += QStringLiteral("\n\n系统中有以下串口，但现在无法打开：");
    bool denied = false;
    bool busy = false;
    for (const UnopenablePort &port : survey.unopenable) {
        const bool isDenied = port.failure == OpenFailure::PermissionDenied;
        denied = denied || isDenied;
        busy = busy || !isDenied;
        hint += QStringLiteral("\n    Com%1（%2）：%3")
                    .arg(port.port.number)
                    .arg(port.port.devicePath, isDenied ? QStringLiteral("没有权限")
                                                        : QStringLiteral("正被其他程序占用"));
    }
    if (denied) {
        if (const QString remedy = DialoutHint(); !remedy.isEmpty())
            hint += QStringLiteral("\n\n") + remedy;
    }
    if (busy)
        hint += QStringLiteral("\n\n请关闭占用串口的程序（例如串口终端）后再连接。");
    return hint;
}

} // namespace vorlin
