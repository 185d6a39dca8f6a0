#include "app/Main.h"

#include "app/AccessibleInterfaces.h"
#include "app/AppIcon.h"
#include "app/ClearButton.h"
#include "app/ControlFont.h"
#include "app/KeyButton.h"
#include "app/KeyButtonTable.h"
#include "app/LayerTabs.h"
#include "app/PortBox.h"
#include "app/Twips.h"

#include "Version.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include <optional>

using vorlin::ControlFont;
using vorlin::Twips;
using vorlin::TwipsRect;

namespace {

// The window's own face, KaiTi, is the one Kai face installed.
const QString kKaiFace = QStringLiteral("AR PL UKai CN");

// Slot grid of a layer page, in twips from the tab control's corner.
constexpr int kColumnStep = 4800;
constexpr int kSlotRowStep = 660;
constexpr int kSlotsPerColumn = 5;
constexpr QPoint kLabelOffset{240, 730};
constexpr QPoint kValueOffset{1240, 720};
constexpr QPoint kBackspaceOffset{4540, 700};
constexpr int kLabelWidth = 1000;
constexpr int kValueWidth = 3300;
constexpr int kValueHeight = 375;
constexpr int kLabelHeight = 255;
constexpr int kBackspaceSize = 375;
constexpr int kCheckSize = 255;
// The enable row takes the place after slot 13 in the last column.
constexpr int kEnableColumn = 2;
constexpr int kEnableRow = 4;
constexpr int kEnableLabelIndex = Main::kSlotCount;

const std::array<QString, Main::kSlotCount> kSlotCaptions = {
    QStringLiteral("旋钮1加："), QStringLiteral("旋钮1减："),   QStringLiteral("旋钮2加："),
    QStringLiteral("旋钮2减："), QStringLiteral("按键1："),     QStringLiteral("按键2："),
    QStringLiteral("按键3："),   QStringLiteral("按键4："),     QStringLiteral("按键5："),
    QStringLiteral("按键6："),   QStringLiteral("按键7："),     QStringLiteral("按键8："),
    QStringLiteral("按键9："),   QStringLiteral("旋钮1按下："),
};

constexpr std::array kLabelArrays = {&Main::LabelGroup1, &Main::LabelGroup2, &Main::LabelGroup3,
                                     &Main::LabelGroup4};
constexpr std::array kValueArrays = {&Main::group1value, &Main::group2value, &Main::group3value,
                                     &Main::group4value};
constexpr std::array kBackspaceArrays = {&Main::group1valuebackspace, &Main::group2valuebackspace,
                                         &Main::group3valuebackspace, &Main::group4valuebackspace};
constexpr std::array kChecks = {&Main::group1check, &Main::group2check, &Main::group3check,
                                &Main::group4check};

static_assert(Main::kKeyButtonCount == vorlin::kKeyButtonCount);

void RegisterFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("楷体"), {kKaiFace});
    QFont::insertSubstitutions(QStringLiteral("KaiTi"), {kKaiFace});
}

// For controls on a layer page, which has the controls' font from the tab control.
constexpr std::nullopt_t kPageFont = std::nullopt;

QFont WindowFont() {
    QFont font(QStringLiteral("楷体"), vorlin::kFontPointSize);
    font.setFamilies({QStringLiteral("楷体"), QStringLiteral("KaiTi")});
    return font;
}

// Colours of the controls the layout puts on white: the page captions, the clear buttons, the
// enable switches, the selected tab and the mouse frame. Their text and glyphs are dark in every
// colour scheme: a dark scheme's light text would vanish into the white. Disabled text (the pages
// while no port is open) stays legible on the white: 5.7:1 for text, and thin glyphs such as
// the clear buttons' ╳ still reach 3:1.
const QColor kPaper(Qt::white);
const QColor kInk(Qt::black);
const QColor kDisabledInk(0x66, 0x66, 0x66);

// Paints `role` of the control white and its text dark; everything else follows the scheme. The
// base goes white too, so a check box's tick is drawn dark on white.
void SetWhiteBackground(QWidget *control, QPalette::ColorRole role) {
    QPalette palette = control->palette();
    palette.setColor(role, kPaper);
    palette.setColor(QPalette::Base, kPaper);
    for (const QPalette::ColorRole text :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Active, text, kInk);
        palette.setColor(QPalette::Inactive, text, kInk);
        palette.setColor(QPalette::Disabled, text, kDisabledInk);
    }
    control->setPalette(palette);
    if (role == QPalette::Window)
        control->setAutoFillBackground(true);
}

QString ElementName(const char *array, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(index);
}

// A control on `parent` with its name, font, caption and, when given, its place in twips. The
// font comes first: a caption set before it is measured in the font the control inherits, only
// to be measured again. Without a font the control keeps its parent's: the layer pages carry
// the controls' font, so their 176 controls share one.
template <class Control>
Control *Create(QWidget *parent, const QString &name, const QString &caption,
                const QRect &twips = {}, const std::optional<QFont> &font = ControlFont()) {
    auto *control = new Control(parent);
    control->setObjectName(name);
    if (font)
        control->setFont(*font);
    if constexpr (requires { control->setText(caption); })
        control->setText(caption);
    else if constexpr (requires { control->setTitle(caption); })
        control->setTitle(caption);
    if (twips.isValid())
        control->setGeometry(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return control;
}

QLabel *CreateLabel(QWidget *parent, const QString &name, const QString &caption,
                    const QRect &twips = {}, const std::optional<QFont> &font = ControlFont()) {
    auto *label = Create<QLabel>(parent, name, caption, twips, font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// What a screen reader calls a control that its caption beside it names: the caption without
// its closing colon.
QString CaptionName(const QString &caption) {
    QString name = caption;
    while (name.endsWith(u'：') || name.endsWith(u':'))
        name.chop(1);
    return name;
}

// Keyboard focus visits `controls` in the order given, after the control before them.
void ChainTabOrder(const QList<QWidget *> &controls) {
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls.at(i - 1), controls.at(i));
}

} // namespace

Main::Main(QWidget *parent) : Main(Dependencies{}, parent) {}

Main::Main(Dependencies dependencies, QWidget *parent) : QWidget(parent) {
    if (!dependencies.ports)
        dependencies.ports = std::make_unique<vorlin::PortDirectory>();
    if (!dependencies.clock) {
        ownClock = std::make_unique<vorlin::SteadyClock>();
        dependencies.clock = ownClock.get();
    }
    if (!dependencies.messageBoxes) {
        ownMessageBoxes = std::make_unique<vorlin::QtMessageBoxes>();
        dependencies.messageBoxes = ownMessageBoxes.get();
    }
    messageBoxes = dependencies.messageBoxes;
    portDirectory = dependencies.ports.get();
    clock = dependencies.clock;
    pacing.emplace(*clock);

    vorlin::InstallAccessibleInterfaces();
    RegisterFontSubstitutions();
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QString::fromUtf16(vorlin::kApplicationTitle) + QStringLiteral(" v") +
                   QString::fromLatin1(vorlin::kVersion));
    setFixedSize(vorlin::TwipsSize(15240, 9135));
    setFont(WindowFont());
    // The window, and the top-row captions and RGB switch drawn straight onto it, take the
    // scheme's colour of window backgrounds (white, or dark under a dark scheme), the colour a
    // slot box starts with; Qt's `Window` role is the button face.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    // Its message boxes show it too; the application needs no icon of its own.
    setWindowIcon(vorlin::AppIcon());

    CreateTopRow();
    CreateLayerPages();
    CreateKeyboard();
    SetUpKeyboard();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    // The poll looks as soon as the event loop is free again: a serial notification has
    // returned, or a message box has been dismissed.
    Timer1->setInterval(0);
    Timer1->setSingleShot(true);
    waitTimer = new QTimer(this);
    waitTimer->setObjectName(QStringLiteral("waitTimer"));
    waitTimer->setSingleShot(true);
    waitTimer->setTimerType(Qt::PreciseTimer);
    MSComm1 = new vorlin::SerialPort(std::move(dependencies.ports),
                                     std::move(dependencies.serialDevice), this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));

    pageOffset = NewTab1->PageOffset();
    Load();
    ConnectLink();
    // The first look sets the controls for the closed port.
    SchedulePoll();
    // Start on the connect button: it is what a user does first, and a focused port box
    // would keep its text cursor blinking while the tool sits idle.
    Command1->setFocus(Qt::OtherFocusReason);
}

Main::~Main() = default;

QString Main::KeyTag(int index) const {
    return SetKey.at(index)->property("Tag").toString();
}

std::array<QLabel *, Main::kSlotCount + 1> &Main::LayerLabels(int layer) {
    return this->*kLabelArrays.at(layer - 1);
}

vorlin::SlotBoxes &Main::LayerValues(int layer) {
    return this->*kValueArrays.at(layer - 1);
}

std::array<QPushButton *, Main::kSlotCount> &Main::LayerBackspaces(int layer) {
    return this->*kBackspaceArrays.at(layer - 1);
}

QCheckBox *&Main::LayerCheck(int layer) {
    return this->*kChecks.at(layer - 1);
}

vorlin::AllSlotBoxes Main::AllValues() const {
    return {group1value, group2value, group3value, group4value};
}

void Main::CreateTopRow() {
    SelectPort = CreateLabel(this, QStringLiteral("SelectPort"), QStringLiteral("选择串口:"),
                             {360, 240, 975, 255});
    Combo1 = Create<vorlin::PortBox>(this, QStringLiteral("Combo1"), {}, {1440, 240, 1095, 345});
    Combo1->setEditable(true);
    // What is typed stays in the box: the list holds the ports found at start-up and nothing else.
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setEditText(QStringLiteral("Combo1"));
    Command1 = Create<QPushButton>(this, QStringLiteral("Command1"), QStringLiteral("连接"),
                                   {2760, 120, 975, 495});
    Command2 = Create<QPushButton>(this, QStringLiteral("Command2"), QStringLiteral("断开"),
                                   {3960, 120, 975, 495});
    GetSn = Create<QPushButton>(this, QStringLiteral("GetSn"), QStringLiteral("读取设置"),
                                {5160, 120, 975, 495});
    sendsettings = Create<QPushButton>(this, QStringLiteral("sendsettings"),
                                       QStringLiteral("写入层设置"), {6360, 120, 1215, 495});
    Label1 = CreateLabel(this, QStringLiteral("Label1"), QStringLiteral("RGB灯效:"),
                         {7920, 240, 855, 255});
    Check1 = Create<QCheckBox>(this, QStringLiteral("Check1"), QStringLiteral("开"),
                               {8880, 160, 495, 375}, ControlFont(QStringLiteral("Arial Narrow")));
    Label2 = CreateLabel(this, QStringLiteral("Label2"),
                         QStringLiteral("（点击即可设置，但重新上电后才会生效）"),
                         {9360, 240, 3615, 255});
    Label3 = CreateLabel(this, QStringLiteral("Label3"), QStringLiteral("下位机版本："),
                         {12960, 240, 1095, 255});
    Labelversion = CreateLabel(this, QStringLiteral("Labelversion"), {}, {14160, 240, 855, 255});

    // Names for screen readers; the captions are also tied to their controls as buddies, which
    // is how a reader on Linux names an editable box (by its label, not by its own name).
    Combo1->setAccessibleName(CaptionName(SelectPort->text()));
    SelectPort->setBuddy(Combo1);
    Check1->setAccessibleName(CaptionName(Label1->text()));
    Label1->setBuddy(Check1);
    // The hint beside the box says when the switch takes effect.
    Check1->setAccessibleDescription(Label2->text());
    ChainTabOrder({Combo1, Command1, Command2, GetSn, sendsettings, Check1});
}

void Main::CreateLayerPages() {
    NewTab1 = new vorlin::LayerTabs(this);
    NewTab1->setObjectName(QStringLiteral("NewTab1"));
    NewTab1->setFont(ControlFont());
    NewTab1->setGeometry(TwipsRect(180, 720, 14895, 3975));

    // The focus goes from the top row to the tab strip, then down each column of slots of the
    // page in front (box, then its delete button) and to the page's enable switch. Qt follows
    // this chain to move the focus off a hidden or disabled control; Tab goes by regions.
    QList<QWidget *> tabOrder = {Check1, NewTab1};
    for (int layer = 1; layer <= kLayerCount; ++layer) {
        auto *page = new QWidget(NewTab1);
        page->setObjectName(QStringLiteral("page%1").arg(layer));
        NewTab1->addTab(page, QStringLiteral("层%1").arg(layer));

        const QByteArray stem = QByteArray::number(layer);
        const QByteArray labelName = "LabelGroup" + stem;
        const QByteArray valueName = "group" + stem + "value";
        const QByteArray backspaceName = "group" + stem + "valuebackspace";
        auto &labels = LayerLabels(layer);
        auto &values = LayerValues(layer);
        auto &backspaces = LayerBackspaces(layer);
        for (int i = 0; i <= kSlotCount; ++i) {
            const QString caption =
                i < kSlotCount ? kSlotCaptions.at(i) : QStringLiteral("启用层%1：").arg(layer);
            labels.at(i) = CreateLabel(page, ElementName(labelName, i), caption,
                                       {0, 0, kLabelWidth, kLabelHeight}, kPageFont);
            SetWhiteBackground(labels.at(i), QPalette::Window);
            if (i == kSlotCount)
                break;

            auto *value = Create<QLineEdit>(page, ElementName(valueName, i), {},
                                            {0, 0, kValueWidth, kValueHeight}, kPageFont);
            // Slots are filled by the key buttons, the delete buttons and the pad's report only.
            value->setReadOnly(true);
            value->installEventFilter(this);
            const QString slotName = QStringLiteral("层%1 %2").arg(layer).arg(CaptionName(caption));
            value->setAccessibleName(slotName);
            labels.at(i)->setBuddy(value);
            values.at(i) = value;

            QPushButton *backspace = Create<vorlin::ClearButton>(
                page, ElementName(backspaceName, i), QStringLiteral("╳"),
                {0, 0, kBackspaceSize, kBackspaceSize}, kPageFont);
            SetWhiteBackground(backspace, QPalette::Button);
            connect(backspace, &QPushButton::clicked, this,
                    [this, layer, i] { OnBackspaceClicked(layer, i); });
            backspace->setAccessibleName(QStringLiteral("清除 ") + slotName);
            backspaces.at(i) = backspace;
            tabOrder << value << backspace;
        }
        auto *check = Create<QCheckBox>(page, QStringLiteral("group%1check").arg(layer), {},
                                        {0, 0, kCheckSize, kCheckSize}, kPageFont);
        // A check box fills from its button face; the enable switch stands on the page's white.
        check->setBackgroundRole(QPalette::Window);
        SetWhiteBackground(check, QPalette::Window);
        check->setAccessibleName(CaptionName(labels.at(kEnableLabelIndex)->text()));
        labels.at(kEnableLabelIndex)->setBuddy(check);
        LayerCheck(layer) = check;
        tabOrder << check;
    }
    // Flat tabs, the selected one white with dark text. Set once the tabs are there: each tab
    // added to a styled bar is laid out through the style sheet again.
    NewTab1->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { background: palette(button); border: 1px solid palette(mid);"
                       " border-bottom: none; padding: 3px 10px; margin-right: -1px; }"
                       "QTabBar::tab:selected { background: %1; color: %2; }"
                       "QTabBar::tab:selected:disabled { color: %3; }"
                       "QTabBar::tab:!selected { margin-top: 2px; }")
            .arg(kPaper.name(), kInk.name(), kDisabledInk.name()));
    ChainTabOrder(tabOrder);
    NewTab1->setCurrentIndex(0);
    connect(NewTab1, &QTabWidget::currentChanged, this, &Main::OnPageChanged);
}

void Main::CreateKeyboard() {
    Frame1 = Create<QGroupBox>(this, QStringLiteral("Frame1"), QStringLiteral("鼠标"),
                               {13440, 5040, 1575, 2895});
    SetWhiteBackground(Frame1, QPalette::Window);

    keyButtons = new QButtonGroup(this);
    // The key buttons are listed row by row, left to right: the order a reader takes them in.
    QList<QWidget *> tabOrder = {group4check};
    const auto rects = vorlin::KeyButtonRectsInTwips();
    for (const vorlin::KeyButtonSpec &key : vorlin::kKeyButtons) {
        const QString token = key.token.toString();
        const QRect &twips = rects.at(key.index);
        QPushButton *button = Create<vorlin::KeyButton>(
            this, ElementName("SetKey", key.index),
            key.caption.isEmpty() ? token : key.caption.toString(), twips);
        button->setProperty("Tag", token);
        // The caption is often shortened ("Scrol", "Prt") or a symbol; the token is the key's name.
        button->setAccessibleName(token);
        keyButtons->addButton(button, key.index);
        SetKey.at(key.index) = button;
        tabOrder << button;
    }
    ChainTabOrder(tabOrder);
    connect(keyButtons, &QButtonGroup::idClicked, this, &Main::OnKeyButtonClicked);

    // The mouse block stands inside the frame and is drawn over it.
    Frame1->lower();
    for (int index = 119; index <= 125; ++index)
        SetKey.at(index)->raise();
}

void Main::Load() {
    ScanPorts();
    ResetSerialBuffers();
    pacing->Restart();
    keyTable.emplace();
    SetTwoLineCaptions();
    SizeSlots();
    PlaceSlotGrid();
    PlaceEnableRows();
}

void Main::SetTwoLineCaptions() {
    for (const vorlin::TwoLineCaption &caption : vorlin::kTwoLineCaptions) {
        // A push button shows a line feed as a line break, a carriage return as nothing.
        QString text = caption.top.toString();
        text += u'\n';
        text += caption.bottom;
        SetKey.at(caption.index)->setText(text);
    }
}

void Main::SizeSlots() {
    for (int i = 0; i < kSlotCount; ++i) {
        for (int layer = 1; layer <= kLayerCount; ++layer) {
            QLabel *label = LayerLabels(layer).at(i);
            QLineEdit *value = LayerValues(layer).at(i);
            label->resize(Twips(kLabelWidth), label->height());
            value->resize(value->width(), Twips(kValueHeight));
            value->resize(Twips(kValueWidth), value->height());
        }
    }
}

void Main::PlaceSlotGrid() {
    for (int i = 0; i < kSlotCount; ++i) {
        const int column = i / kSlotsPerColumn;
        const int row = i - kSlotsPerColumn * column;
        const QPoint cell(kColumnStep * column, kSlotRowStep * row);
        for (int layer = 1; layer <= kLayerCount; ++layer) {
            const QPoint label = cell + kLabelOffset;
            const QPoint value = cell + kValueOffset;
            const QPoint backspace = cell + kBackspaceOffset;
            PlaceOnPage(LayerLabels(layer).at(i), label.x(), label.y());
            PlaceOnPage(LayerValues(layer).at(i), value.x(), value.y());
            PlaceOnPage(LayerBackspaces(layer).at(i), backspace.x(), backspace.y());
        }
    }
}

void Main::PlaceEnableRows() {
    const QPoint cell(kColumnStep * kEnableColumn, kSlotRowStep * kEnableRow);
    const QPoint label = cell + kLabelOffset;
    const QPoint check = cell + kValueOffset;
    for (int layer = 1; layer <= kLayerCount; ++layer)
        PlaceOnPage(LayerLabels(layer).at(kEnableLabelIndex), label.x(), label.y());
    for (int layer = 1; layer <= kLayerCount; ++layer)
        PlaceOnPage(LayerCheck(layer), check.x(), check.y());
}

void Main::PlaceOnPage(QWidget *control, int left, int top) const {
    control->move(vorlin::TwipsPoint(left, top) - pageOffset);
}

void Main::OnSlotBoxFocused(QLineEdit *box) {
    for (int layer = 1; layer <= kLayerCount; ++layer) {
        const vorlin::SlotBoxes &values = LayerValues(layer);
        for (int index = 0; index < kSlotCount; ++index) {
            if (values.at(index) == box) {
                vorlin::FocusSlot(focusedSlot, values, layer, index);
                DescribeEditedSlot();
                return;
            }
        }
    }
}

void Main::OnBackspaceClicked(int layer, int index) {
    vorlin::ClearSlot(focusedSlot, LayerValues(layer), layer, index);
    DescribeEditedSlot();
}

void Main::OnKeyButtonClicked(int index) {
    vorlin::AppendTokenToFocusedSlot(focusedSlot, AllValues(), KeyTag(index));
}

void Main::OnPageChanged() {
    // A box that Qt focused while bringing its page to the front is not the slot being edited;
    // move the focus off it so that a click into it is seen as choosing it.
    auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (box == nullptr || box == vorlin::FocusedBox(focusedSlot, AllValues()))
        return;
    for (const vorlin::SlotBoxes &values : AllValues()) {
        if (std::find(values.begin(), values.end(), box) != values.end()) {
            NewTab1->tabBar()->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}
