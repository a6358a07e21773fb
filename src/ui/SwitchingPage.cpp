#include "ui/SwitchingPage.h"

#include "ui/Colours.h"
#include "ui/LabelButton.h"
#include "ui/Lamp.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace kv {

namespace {

// Fixed layout in page pixels. The preset panel floats over the window from x = 584, so
// everything here stays left of it.
constexpr int kBoxTop = 4;
constexpr int kBoxHeight = 392;
constexpr int kTabsTop = 20;
constexpr int kTabsHeight = 362;

constexpr int kInputBoxX = 6;
constexpr int kInputBoxWidth = 168;
constexpr int kInputButtonW = 46;
constexpr int kInputButtonH = 32;
constexpr int kInputRowTop = 12;
constexpr int kInputPitch = 40;

constexpr int kOutputBoxX = 182;
constexpr int kOutputBoxWidth = 394;
constexpr int kOutputTabsWidth = 185;
constexpr int kOutputRowTop = 30;
constexpr int kOutputPitch = 38;
constexpr int kOutputButtonW = 50;
constexpr int kOutputButtonH = 30;
constexpr int kVideoX = 64;
constexpr int kVideoW = 40;
constexpr int kVideoH = 24;
constexpr int kReclockX = 114;

constexpr int kStripTop = 404;

QColor colourOf(Shade shade)
{
    switch (shade) {
    case Shade::Yellow: return kYellow;
    case Shade::Lime: return kLime;
    case Shade::Red: return kRed;
    case Shade::Face: break;
    }
    return buttonFace();
}

QString name(const char *stem, int n) { return QLatin1String(stem) + QString::number(n); }

QLabel *plainLabel(QWidget *parent, const QString &text, const QRect &geometry,
                   Qt::Alignment alignment)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

} // namespace

SwitchingPage::SwitchingPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ControlTabSheet"));
    buildInputs();
    buildOutputs();
    buildTakeControls();
}

void SwitchingPage::buildInputs()
{
    InputGroupBox = new QGroupBox(QStringLiteral(" Inputs "), this);
    InputGroupBox->setObjectName(QStringLiteral("InputGroupBox"));
    InputGroupBox->setGeometry(kInputBoxX, kBoxTop, kInputBoxWidth, kBoxHeight);

    PageControl5 = new QTabWidget(InputGroupBox);
    PageControl5->setObjectName(QStringLiteral("PageControl5"));
    PageControl5->setGeometry(8, kTabsTop, kInputBoxWidth - 16, kTabsHeight);
    auto *sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("InputTabSheet"));
    PageControl5->addTab(sheet, QStringLiteral("Input 1 - 16"));

    // Two columns: 1-8 on the left, 9-16 on the right, each button with its number beside it.
    for (int i = 0; i < 16; ++i) {
        const int column = i / 8;
        const int y = kInputRowTop + (i % 8) * kInputPitch;
        const int x = 2 + column * 72;
        plainLabel(sheet, QString::number(i + 1), QRect(x, y, 18, kInputButtonH),
                   Qt::AlignRight | Qt::AlignVCenter)
            ->setObjectName(name("InputNumberLabel", i + 1));
        auto *button = new LabelButton(QString::number(i + 1), sheet);
        button->setObjectName(name("InputButton", i + 1));
        button->setGeometry(x + 22, y, kInputButtonW, kInputButtonH);
        button->setFocusPolicy(Qt::NoFocus);
        paint(button, buttonFace());
        connect(button, &QPushButton::clicked, this, [this, i] { emit inputButtonClicked(i + 1); });
        m_inputs[i] = button;
    }
}

void SwitchingPage::buildOutputs()
{
    OutputGroupBox = new QGroupBox(QStringLiteral(" Outputs "), this);
    OutputGroupBox->setObjectName(QStringLiteral("OutputGroupBox"));
    OutputGroupBox->setGeometry(kOutputBoxX, kBoxTop, kOutputBoxWidth, kBoxHeight);

    PageControl6 = new QTabWidget(OutputGroupBox);
    PageControl6->setObjectName(QStringLiteral("PageControl6"));
    PageControl6->setGeometry(8, kTabsTop, kOutputTabsWidth, kTabsHeight);
    buildOutputTab(PageControl6, QStringLiteral("Output 1 - 8"), 0);

    PageControl1 = new QTabWidget(OutputGroupBox);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(kOutputBoxWidth - 8 - kOutputTabsWidth, kTabsTop, kOutputTabsWidth,
                              kTabsHeight);
    buildOutputTab(PageControl1, QStringLiteral("Output 9 - 16"), 8);
}

QWidget *SwitchingPage::buildOutputTab(QTabWidget *tabs, const QString &caption, int first)
{
    auto *sheet = new QWidget;
    sheet->setObjectName(first == 0 ? QStringLiteral("OutputTabSheet1")
                                    : QStringLiteral("OutputTabSheet2"));
    tabs->addTab(sheet, caption);

    plainLabel(sheet, QStringLiteral("Video"), QRect(kVideoX - 6, 8, kVideoW + 12, 16),
               Qt::AlignCenter);
    plainLabel(sheet, QStringLiteral("Reclocker"), QRect(kReclockX - 2, 8, 64, 16),
               Qt::AlignLeft | Qt::AlignVCenter);

    QFont labelFont = font();
    labelFont.setBold(true);
    for (int k = 0; k < 8; ++k) {
        const int o = first + k;
        const int y = kOutputRowTop + k * kOutputPitch;

        auto *button = new LabelButton(QString::number(o + 1), sheet);
        button->setObjectName(name("OutputButton", o + 1));
        button->setGeometry(6, y, kOutputButtonW, kOutputButtonH);
        button->setFocusPolicy(Qt::NoFocus);
        paint(button, buttonFace());
        connect(button, &QPushButton::clicked, this,
                [this, o] { emit outputButtonClicked(o + 1); });
        m_outputs[o] = button;

        auto *video = new QLabel(QStringLiteral("--"), sheet);
        video->setObjectName(name("VideoLabel", o + 1));
        video->setGeometry(kVideoX, y + (kOutputButtonH - kVideoH) / 2, kVideoW, kVideoH);
        video->setAlignment(Qt::AlignCenter);
        video->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        video->setFont(labelFont);
        paint(video, buttonFace());
        m_videoLabels[o] = video;

        auto *box = new QCheckBox(QStringLiteral("Enable"), sheet);
        box->setObjectName(name("ReclockerCheckBox", o + 1));
        box->setGeometry(kReclockX, y + (kOutputButtonH - 20) / 2, 64, 20);
        box->setChecked(true);
        box->setFocusPolicy(Qt::NoFocus);
        // toggled, not clicked: the handler runs for the console's own changes too.
        connect(box, &QCheckBox::toggled, this,
                [this, o] { emit reclockerCheckBoxChanged(o + 1); });
        m_reclockers[o] = box;
    }
    return sheet;
}

void SwitchingPage::buildTakeControls()
{
    // Take, its lamp and Cancel in one frame on the left; Clear All Routing and Read from
    // Kestavion under the outputs, the last one flush with the right edge of the boxes.
    TakeBox = new QGroupBox(this);
    TakeBox->setObjectName(QStringLiteral("GroupBox22"));
    TakeBox->setGeometry(kInputBoxX, kStripTop, 240, 56);

    TakeButton = new QPushButton(QStringLiteral("Take"), TakeBox);
    TakeButton->setObjectName(QStringLiteral("TakeButton"));
    TakeButton->setGeometry(10, 12, 92, 32);

    ApdStatusLight1 = new Lamp(TakeBox);
    ApdStatusLight1->setObjectName(QStringLiteral("ApdStatusLight1"));
    ApdStatusLight1->setGeometry(114, 22, 13, 13);

    CancelTakeButton = new QPushButton(QStringLiteral("Cancel"), TakeBox);
    CancelTakeButton->setObjectName(QStringLiteral("CancelTakeButton"));
    CancelTakeButton->setGeometry(138, 12, 92, 32);

    const int buttonTop = kStripTop + 12;
    const int right = kOutputBoxX + kOutputBoxWidth;
    ClearAllRoutingButton = new QPushButton(QStringLiteral("Clear All Routing"), this);
    ClearAllRoutingButton->setObjectName(QStringLiteral("ClearAllRoutingButton"));
    ClearAllRoutingButton->setGeometry(right - 2 * 150 - 14, buttonTop, 150, 32);

    UpdateStatus = new QPushButton(QStringLiteral("Read from Kestavion"), this);
    UpdateStatus->setObjectName(QStringLiteral("UpdateStatus"));
    UpdateStatus->setGeometry(right - 150, buttonTop, 150, 32);

    connect(TakeButton, &QPushButton::clicked, this, &SwitchingPage::takeClicked);
    connect(CancelTakeButton, &QPushButton::clicked, this, &SwitchingPage::cancelTakeClicked);
    connect(ClearAllRoutingButton, &QPushButton::clicked, this,
            &SwitchingPage::clearAllRoutingClicked);
    connect(UpdateStatus, &QPushButton::clicked, this, &SwitchingPage::updateStatusClicked);
}

void SwitchingPage::paintOutputButton(int output, Shade shade)
{
    paint(m_outputs[output], colourOf(shade));
}

void SwitchingPage::paintInputButton(int input, Shade shade)
{
    paint(m_inputs[input], colourOf(shade));
}

void SwitchingPage::setVideoLabelText(int output, const QString &text)
{
    m_videoLabels[output]->setText(text);
}

void SwitchingPage::paintVideoLabel(int output, Shade shade)
{
    paint(m_videoLabels[output], colourOf(shade));
}

void SwitchingPage::setReclockerTicked(int output, bool ticked)
{
    m_reclockers[output]->setChecked(ticked);
}

bool SwitchingPage::reclockerTicked(int output) const { return m_reclockers[output]->isChecked(); }

void SwitchingPage::setOutputRowEnabled(int output, bool enabled)
{
    m_outputs[output]->setEnabled(enabled);
    m_videoLabels[output]->setEnabled(enabled);
    m_reclockers[output]->setEnabled(enabled);
}

void SwitchingPage::setInputButtonEnabled(int input, bool enabled)
{
    m_inputs[input]->setEnabled(enabled);
}

void SwitchingPage::setTakeLamp(bool lit)
{
    ApdStatusLight1->setLit(lit);
    // The take blocks the event loop: draw the lamp now so that it is seen.
    ApdStatusLight1->repaint();
}

void SwitchingPage::setCaption(const QString &caption) { window()->setWindowTitle(caption); }

} // namespace kv
