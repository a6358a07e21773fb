#pragma once
// The operator's labels: the text of each label edit applied to the captions of the other
// pages, the four Reset buttons and the apply-all operations. Labels live in the edits and on
// the captions only; nothing here touches MatrixState or sends a command.

#include <QString>

namespace kv {

enum class LabelKind { Input, Output, Group, Preset };
inline constexpr LabelKind kLabelKinds[] = {LabelKind::Input, LabelKind::Output, LabelKind::Group,
                                            LabelKind::Preset};
// 16 inputs and outputs, 8 groups and presets.
inline int LabelCountOf(LabelKind kind)
{
    return kind == LabelKind::Input || kind == LabelKind::Output ? 16 : 8;
}

// What the labels need of the window: the label edits, and the captions that show them.
class LabelView {
public:
    virtual ~LabelView() = default;
    // n counts from 1.
    virtual QString labelText(LabelKind kind, int n) const = 0;
    virtual void setLabelText(LabelKind kind, int n, const QString &text) = 0;
    // Every caption of label n on the other pages: the input or output buttons of the Video
    // Switching and Grouping pages, the group's check box and selector item, the preset button.
    virtual void showCaption(LabelKind kind, int n, const QString &caption) = 0;
};

class Labels {
public:
    explicit Labels(LabelView &view) : m_view(view) {}

    // The Exit operation of label edit n (counting from 1): copies its text to the captions
    // that show it.
    void LabelEditExit(LabelKind kind, int n);
    // Every label of the kind, in order. Outputs cover all sixteen, as inputs do.
    void ApplyLabels(LabelKind kind);
    // The Reset buttons: every edit of the kind back to its number, then applied.
    void ResetLabelsButtonClick(LabelKind kind);

    QString labelText(LabelKind kind, int n) const { return m_view.labelText(kind, n); }
    // The label as applied (its edit left), which every front end shows; what is still being
    // typed is not a label yet.
    QString label(LabelKind kind, int n) const;
    // Typed into edit n and applied, as the operator's typing and leaving the edit would.
    void setLabel(LabelKind kind, int n, const QString &text);

private:
    LabelView &m_view;
    QString m_applied[4][16];
};

} // namespace kv
