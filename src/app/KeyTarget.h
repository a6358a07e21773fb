#pragma once
// The window's side of the routing keys.

#include "app/MatrixForm.h"
#include "control/Core.h"
#include "control/KeyRouting.h"
#include "control/Presets.h"
#include "control/Routing.h"
#include "ui/PresetPanel.h"

#include <QStatusBar>

namespace kv {

// The keys act as the page's own handlers would, guards and all.
class TMatrixForm::KeyTarget final : public KeyRoutingTarget {
public:
    explicit KeyTarget(TMatrixForm &form) : m_form(form) {}

    void outputClick(int n) override
    {
        m_form.actAsOperator([this, n] { m_form.m_core->routing().OutputButtonClick(n); });
    }
    void inputClick(int n) override
    {
        m_form.actAsOperator([this, n] { m_form.m_core->routing().InputButtonClick(n); });
    }
    void take() override
    {
        m_form.actAsOperator([this] { m_form.m_core->routing().TakeButtonClick(); });
    }
    void cancel() override
    {
        m_form.actAsOperator([this] { m_form.m_core->routing().CancelTakeButtonClick(); });
    }
    void recallPreview(int n) override
    {
        m_form.actAs(QStringLiteral("preset %1").arg(n), [this, n] {
            Core &core = *m_form.m_core;
            core.presets().PresetsRecallButtonClick();
            core.presets().PresetButtonClick(n);
        });
    }
    bool recallAvailable() const override { return m_form.PresetsGroupBox->recallEnabled(); }
    void setStatusText(const QString &text) override { m_form.MainStatusBar->showMessage(text); }
    bool refused() const override { return m_form.refused(); }

private:
    TMatrixForm &m_form;
};

} // namespace kv
