#pragma once
// The Labeling page: 48 label edits of at most six characters with their caption labels, in
// four framed blocks with their Reset buttons. The page only holds the texts; applying a label
// to the other pages' captions is done above it, on labelExit.

#include "control/Labels.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class LabelingPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxLabelLength = 6;

    explicit LabelingPage(QWidget *parent = nullptr);

    // n counts from 1; nullptr when out of range.
    QLineEdit *edit(LabelKind kind, int n) const;
    QLabel *caption(LabelKind kind, int n) const;
    QPushButton *resetButton(LabelKind kind) const;

    QString labelText(LabelKind kind, int n) const;
    void setLabelText(LabelKind kind, int n, const QString &text);

    // Rows of inputs and outputs the model has are usable, the others greyed.
    void RefreshLabelRows(int inputCount, int outputCount);

    // The next usable edit of the Enter ring after edit n of kind (inputs, outputs, groups,
    // presets, then back to input 1), or nullptr when no edit can take the focus.
    QLineEdit *nextInRing(LabelKind kind, int n) const;

signals:
    // The focus left edit n (also when Enter moved it on): the label is to be applied.
    void labelExit(kv::LabelKind kind, int n);
    void resetClicked(kv::LabelKind kind);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Block {
        QLineEdit *edits[16] = {};
        QLabel *captions[16] = {};
        QPushButton *reset = nullptr;
    };
    void buildBlock(LabelKind kind, int y, int height);
    bool locate(QObject *o, LabelKind *kind, int *n) const;
    void enterPressed(LabelKind kind, int n);

    Block m_blocks[4];
    bool m_exitDelivered = false;
};

} // namespace kv
