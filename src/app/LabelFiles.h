#pragma once
// The File menu's label files: every label of the Labeling page out to a CSV file, and a
// CSV file's labels into the edits, applied as if typed. A bad file changes nothing.

#include <QObject>

namespace kv {

class Labels;
class TMatrixForm;

class LabelFiles : public QObject {
    Q_OBJECT
public:
    LabelFiles(TMatrixForm &form, Labels &labels);

    void ExportLabels1Click();
    void ImportLabels1Click();

private:
    TMatrixForm &m_form;
    Labels &m_labels;
};

} // namespace kv
