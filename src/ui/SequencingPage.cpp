#include "ui/SequencingPage.h"

#include "ui/Colours.h"
#include "ui/Dialogs.h"
#include "ui/Lamp.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kv {

namespace {
constexpr int kRowTop = 58, kRowPitch = 38, kRowH = 26;
constexpr int kBoxX = 105, kBoxY = 50;

QLabel *heading(const QString &text, int x, int w, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    l->setGeometry(x, 16, w, 32);
    return l;
}

QLineEdit *stepEdit(const QString &name, const QString &text, int maxLength, QRect at,
                    QWidget *parent)
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    e->setAlignment(Qt::AlignCenter);
    e->setGeometry(at);
    e->setEnabled(false);
    return e;
}
} // namespace

SequencingPage::SequencingPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SequencingTabSheet"));

    auto *group = new QGroupBox(QStringLiteral("Preset Sequence "), this);
    group->setObjectName(QStringLiteral("PresetSeqParamGroupBox"));
    group->setGeometry(20, 12, 400, 420);
    heading(QStringLiteral("Preset #"), kBoxX + 10, 60, group);
    heading(QStringLiteral("Delay (sec)"), kBoxX + 90, 70, group);

    auto *box = new QGroupBox(group);
    box->setObjectName(QStringLiteral("PresetSequenceActiveBox"));
    box->setGeometry(kBoxX, kBoxY, 275, kSeqSteps * kRowPitch + 10);
    m_activeBox = box;

    for (int i = 0; i < kSeqSteps; ++i) {
        const int n = i + 1;
        const int y = kRowTop + i * kRowPitch;
        auto *label = new QLabel(QStringLiteral("Seq %1").arg(n), group);
        label->setObjectName(QStringLiteral("PresetSeqLabel%1").arg(n));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setGeometry(20, y, 70, kRowH);
        paint(label, buttonFace());
        m_labels[i] = label;

        const int by = y - kBoxY;
        m_presetEdits[i] = stepEdit(QStringLiteral("PresetSeqEdit%1").arg(n), QString::number(n), 2,
                                    {15, by, 50, kRowH}, box);
        m_delayEdits[i] = stepEdit(QStringLiteral("PresetDelayEdit%1").arg(n), QStringLiteral("3"),
                                   4, {100, by, 60, kRowH}, box);
        m_presetEdits[i]->installEventFilter(this);
        m_delayEdits[i]->installEventFilter(this);

        m_enable[i] = new QCheckBox(QStringLiteral("On"), box);
        m_enable[i]->setObjectName(QStringLiteral("PresetSeqEnableCheckBox%1").arg(n));
        m_enable[i]->setGeometry(195, by, 60, kRowH);
        connect(m_enable[i], &QCheckBox::toggled, this, [this, n] { emit stepToggled(n); });
    }
    // Down the preset numbers, then the delays, then the switches.
    QWidget *previous = nullptr;
    for (QWidget *const *column : {(QWidget *const *)m_presetEdits, (QWidget *const *)m_delayEdits,
                                   (QWidget *const *)m_enable})
        for (int i = 0; i < kSeqSteps; ++i) {
            if (previous)
                setTabOrder(previous, column[i]);
            previous = column[i];
        }

    const int controlsY = kBoxY + kSeqSteps * kRowPitch + 22;
    auto *start = new QPushButton(QStringLiteral("Start"), group);
    start->setObjectName(QStringLiteral("PresetSeqStartButton"));
    start->setGeometry(kBoxX + 10, controlsY, 90, 30);
    connect(start, &QPushButton::clicked, this, &SequencingPage::startClicked);
    m_lamp = new Lamp(group);
    m_lamp->setObjectName(QStringLiteral("PresetSeqApdStatusLight"));
    m_lamp->setGeometry(kBoxX + 110, controlsY + 9, 13, 13);
    auto *stop = new QPushButton(QStringLiteral("Stop"), group);
    stop->setObjectName(QStringLiteral("PresetSeqStopButton"));
    stop->setGeometry(kBoxX + 133, controlsY, 90, 30);
    connect(stop, &QPushButton::clicked, this, &SequencingPage::stopClicked);
}

bool SequencingPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && !m_checking) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // The window losing focus, or a popup, is not the operator leaving the edit.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (int i = 0; i < kSeqSteps; ++i) {
                const bool preset = watched == m_presetEdits[i];
                if (!preset && watched != m_delayEdits[i])
                    continue;
                m_checking = true;
                if (preset)
                    emit presetEditExit(i + 1);
                else
                    emit delayEditExit(i + 1);
                m_checking = false;
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool SequencingPage::stepTicked(int step) const
{
    return step >= 0 && step < kSeqSteps && m_enable[step]->isChecked();
}

QString SequencingPage::presetText(int step) const
{
    return step >= 0 && step < kSeqSteps ? m_presetEdits[step]->text() : QString();
}

QString SequencingPage::delayText(int step) const
{
    return step >= 0 && step < kSeqSteps ? m_delayEdits[step]->text() : QString();
}

void SequencingPage::setStepEditsEnabled(int step, bool enabled)
{
    if (step < 0 || step >= kSeqSteps)
        return;
    m_presetEdits[step]->setEnabled(enabled);
    m_delayEdits[step]->setEnabled(enabled);
}

void SequencingPage::focusEdit(QLineEdit *edit)
{
    // A disabled edit (a run is going) cannot hold the focus; it is not forced there.
    if (!edit->isEnabled())
        return;
    const bool was = m_checking;
    m_checking = true;
    edit->setFocus(Qt::OtherFocusReason);
    m_checking = was;
}

void SequencingPage::focusPresetEdit(int step)
{
    if (step >= 0 && step < kSeqSteps)
        focusEdit(m_presetEdits[step]);
}

void SequencingPage::focusDelayEdit(int step)
{
    if (step >= 0 && step < kSeqSteps)
        focusEdit(m_delayEdits[step]);
}

void SequencingPage::setStepControlsEnabled(bool enabled) { m_activeBox->setEnabled(enabled); }

void SequencingPage::setLampLit(bool lit) { m_lamp->setLit(lit); }

void SequencingPage::paintStepLabel(int step, Shade shade)
{
    if (step >= 0 && step < kSeqSteps)
        paint(m_labels[step], shade == Shade::Lime ? kLime : buttonFace());
}

void SequencingPage::showMessage(const QString &text)
{
    const bool was = m_checking;
    m_checking = true;
    Dialogs::instance().plain(window(), text);
    m_checking = was;
}

} // namespace kv
