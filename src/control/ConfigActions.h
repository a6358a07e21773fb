#pragma once
// The configuration file from the operator's side: the labels gathered into Config, and the
// File menu's save and open. Opening changes the console only; nothing goes to the switcher.

#include <QObject>
#include <QString>

namespace kv {

class Grouping;
class Labels;
class Routing;
struct MatrixState;

// What the file operations need of the window.
class ConfigView {
public:
    virtual ~ConfigView() = default;
    // Empty when the operator cancels the dialog.
    virtual QString saveFileName() = 0;
    virtual QString openFileName() = 0;
    virtual void showMessage(const QString &text) = 0;
    virtual bool showBusyCursor() = 0;
    virtual void showArrowCursor() = 0;
};

class ConfigActions : public QObject {
    Q_OBJECT
public:
    ConfigActions(MatrixState &state, ConfigView &view, Labels &labels, Routing &routing,
                  Grouping &grouping, QObject *parent = nullptr);

    Labels &labels() { return m_labels; }

    // The label edits into Config: inputs and outputs of the model, all groups and presets.
    void GatherLabels();

    void SaveConfigurationtoFile1Click();
    void OpenConfigurationFile1Click();

private:
    // Config's labels, groups and routes into MatrixState and the pages.
    void ApplyOpenedConfig();

    MatrixState &m_state;
    ConfigView &m_view;
    Labels &m_labels;
    Routing &m_routing;
    Grouping &m_grouping;
};

} // namespace kv
