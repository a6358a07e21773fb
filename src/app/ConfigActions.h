#pragma once
// The configuration file from the operator's side: the labels gathered into Config, and the
// File menu's save and open. Opening changes the console only; nothing goes to the switcher.

#include <QObject>
#include <memory>

namespace kv {

class Labels;
class TMatrixForm;

class ConfigActions : public QObject {
    Q_OBJECT
public:
    explicit ConfigActions(TMatrixForm &form);
    ~ConfigActions() override;

    Labels &labels() { return *m_labels; }

    // The label edits into Config: inputs and outputs of the model, all groups and presets.
    void GatherLabels();

    void SaveConfigurationtoFile1Click();
    void OpenConfigurationFile1Click();

private:
    // Config's labels, groups and routes into MatrixState and the pages.
    void ApplyOpenedConfig();

    TMatrixForm &m_form;
    std::unique_ptr<Labels> m_labels;
};

} // namespace kv
