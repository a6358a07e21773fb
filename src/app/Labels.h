#pragma once
// The operator's labels: the Labeling page's edits applied to the captions of the other pages,
// the four Reset buttons and the apply-all operations. Labels live in the edits and on the
// captions only; nothing here touches MatrixState or sends a command.

#include "ui/LabelingPage.h"

#include <QObject>

namespace kv {

class TMatrixForm;

class Labels : public QObject {
    Q_OBJECT
public:
    Labels(TMatrixForm &form, LabelingPage &page, QObject *parent = nullptr);

    // The Exit operation of label edit n (counting from 1): copies its text to the captions
    // that show it.
    void LabelEditExit(LabelKind kind, int n);

    // Every label of the kind, in order. Outputs cover all sixteen, as inputs do.
    void ApplyLabels(LabelKind kind);

    // The Reset buttons: every edit of the kind back to its number, then applied.
    void ResetLabelsButtonClick(LabelKind kind);

    LabelingPage &page() { return m_page; }

private:
    TMatrixForm &m_form;
    LabelingPage &m_page;
};

} // namespace kv
