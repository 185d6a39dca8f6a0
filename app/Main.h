#pragma once

#include "app/LayerTabs.h"
#include "app/MessageBoxes.h"
#include "editor/FocusedSlot.h"
#include "editor/KeyChord.h"
#include "keys/KeyTable.h"
#include "link/PortDirectory.h"
#include "link/SerialPort.h"
#include "protocol/MessageInbox.h"
#include "protocol/SendPacing.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace vorlin {
class KeyboardNavigation;
struct ReportRejection;
struct ReportTargets;
} // namespace vorlin

// The tool's one window. Its controls keep the names by which the rest of the tool addresses
// them, as members and as Qt object names ("group2value_13" for element 13 of group2value).
class Main : public QWidget {
    Q_OBJECT

public:
    static constexpr int kLayerCount = vorlin::kLayerCount;
    static constexpr int kSlotCount = vorlin::kSlotCount;
    static constexpr int kKeyButtonCount = 126;

    // What the window uses from outside; anything left empty is the real thing (the system's
    // serial ports and serial device, the steady clock, Qt message boxes).
    struct Dependencies {
        std::unique_ptr<vorlin::PortDirectory> ports;
        std::unique_ptr<vorlin::SerialDevice> serialDevice;
        const vorlin::Clock *clock = nullptr;
        vorlin::MessageBoxes *messageBoxes = nullptr;
    };

    explicit Main(QWidget *parent = nullptr);
    explicit Main(Dependencies dependencies, QWidget *parent = nullptr);
    ~Main() override;

    // The key token key button `index` appends to a slot (its "Tag").
    QString KeyTag(int index) const;

    const vorlin::FocusedSlot &FocusedSlotRecord() const { return focusedSlot; }

    // The key-name table, built at start-up.
    const vorlin::KeyTable &Keys() const { return *keyTable; }

    // Controls of layer 1 to 4.
    std::array<QLabel *, kSlotCount + 1> &LayerLabels(int layer);
    vorlin::SlotBoxes &LayerValues(int layer);
    std::array<QPushButton *, kSlotCount> &LayerBackspaces(int layer);
    QCheckBox *&LayerCheck(int layer);
    vorlin::AllSlotBoxes AllValues() const;

    // Top row.
    QLabel *SelectPort = nullptr;
    QComboBox *Combo1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *GetSn = nullptr;
    QPushButton *sendsettings = nullptr;
    QLabel *Label1 = nullptr;
    QCheckBox *Check1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Labelversion = nullptr;

    // Layer pages "层1" to "层4"; element 14 of a label array captions the layer's check box.
    vorlin::LayerTabs *NewTab1 = nullptr;
    std::array<QLabel *, kSlotCount + 1> LabelGroup1{}, LabelGroup2{}, LabelGroup3{}, LabelGroup4{};
    std::array<QLineEdit *, kSlotCount> group1value{}, group2value{}, group3value{}, group4value{};
    std::array<QPushButton *, kSlotCount> group1valuebackspace{}, group2valuebackspace{},
        group3valuebackspace{}, group4valuebackspace{};
    QCheckBox *group1check = nullptr;
    QCheckBox *group2check = nullptr;
    QCheckBox *group3check = nullptr;
    QCheckBox *group4check = nullptr;

    // On-screen keyboard, and the frame drawn under its mouse block (buttons 119 to 125).
    QGroupBox *Frame1 = nullptr;
    std::array<QPushButton *, kKeyButtonCount> SetKey{};

    // The receive poll. It runs when there is something to look at (text received, the port
    // opened or closed), not all the time.
    QTimer *Timer1 = nullptr;
    // Wakes the window when a timed wait of the receive side ends (a report gone quiet half-way,
    // a settings request or a layer upload unanswered). It runs only while one of them is on;
    // what is due is judged by the window's clock, so a test moves that clock and fires the
    // timer.
    QTimer *waitTimer = nullptr;
    // The serial component the pad is reached through.
    vorlin::SerialPort *MSComm1 = nullptr;

Q_SIGNALS:
    // A settings report from the pad has been loaded into the window.
    void ReportApplied();
    // A settings report could not be used; reason says why, in the window's language.
    void ReportRejected(const QString &reason);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void CreateTopRow();
    void CreateLayerPages();
    void CreateKeyboard();

    // Start-up, before the window is first shown.
    void Load();
    void ScanPorts();
    void SetTwoLineCaptions();
    void SizeSlots();
    void PlaceSlotGrid();
    void PlaceEnableRows();
    void PlaceOnPage(QWidget *control, int left, int top) const;

    void OnSlotBoxFocused(QLineEdit *box);
    void OnBackspaceClicked(int layer, int index);
    void OnKeyButtonClicked(int index);
    void OnPageChanged();

    // ---- Serial link (MainLink.cpp) ----
    void ConnectLink();
    void ResetSerialBuffers();
    void Command1Click();
    void Command2Click();
    void GetSnClick();
    void SendSettingsClick();
    void Check1Click(bool checked);
    void GroupCheckClick(int layer, bool checked);
    // Writes to the pad when the send pacing allows; true when the text went out.
    bool Send(const QByteArray &text, int intervalSeconds);
    void OnComm();
    void OnConnectionLost(const QString &reason);
    void SchedulePoll();
    void Timer1Timer();
    // Starts, moves or stops waitTimer for the inbox's next deadline.
    void ArmWaitTimer();
    void WaitTimerTimeout();
    void PortClosed();
    // Empties what the window shows of a pad, for a newly opened port.
    void ForgetPadSettings();
    vorlin::ReportTargets ReportControls();
    void HandleReport(const QByteArray &text);
    void RejectReport(const vorlin::ReportRejection &rejection);
    void RefreshControlStates();
    void KeepFocusOnAUsableControl(QWidget *usable, const QList<QWidget *> &disabling);

    // The port directory MSComm1 owns, for finding the ports that will not open.
    const vorlin::PortDirectory *portDirectory = nullptr;
    std::unique_ptr<vorlin::SteadyClock> ownClock;
    const vorlin::Clock *clock = nullptr;
    std::unique_ptr<vorlin::QtMessageBoxes> ownMessageBoxes;
    vorlin::MessageBoxes *messageBoxes = nullptr;
    std::optional<vorlin::SendPacing> pacing;
    // Everything received, cut into the pad's messages that wait for the poll.
    vorlin::MessageInbox inbox;
    // The port box's text when the port was opened, to name the port in messages.
    QString connectedPortText;
    // Layer 1 to 4 of the last upload, to name it when the pad does not confirm it.
    int uploadedLayer = 0;
    // Set while the poll handles messages; a box it shows keeps the event loop running.
    bool pollBusy = false;

    // ---- Keyboard and focus (MainKeyboard.cpp) ----
    void SetUpKeyboard();
    // The slot boxes and delete buttons of the page in front, slot by slot.
    QList<QWidget *> ShownSlotControls();
    // Where Tab lands in the slot grid: the slot being edited, or the same slot of the page in
    // front when the slot being edited lies on another page.
    QWidget *SlotGridEntry();
    // Tells screen readers which slot is being edited and where a key button writes.
    void DescribeEditedSlot();
    // A key typed on the computer's keyboard while a slot box has the focus; true when taken.
    bool OnSlotBoxKey(QLineEdit *box, QKeyEvent *event);

    vorlin::KeyboardNavigation *navigation = nullptr;
    vorlin::KeyChord typedChord;

    // ---- Shared by the sections above ----
    std::optional<vorlin::KeyTable> keyTable;
    vorlin::FocusedSlot focusedSlot;
    QButtonGroup *keyButtons = nullptr;
    QPoint pageOffset;
};
