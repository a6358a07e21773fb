#pragma once
// The window's side of the serial and Ethernet links: the "Serial Port" menu, the Setup page's
// link controls, the About page's port number and the progress window.

#include "link/EthernetLink.h"

#include <QObject>

namespace kv {

class TMatrixForm;

class LinkControls : public QObject, public EthernetLinkHost {
    Q_OBJECT
public:
    explicit LinkControls(TMatrixForm &form);

    void setItemEnabled(Item item, bool enabled) override;
    void setComItemChecked(int port, bool checked) override;
    void setComNumber(const QString &text, const QString &devicePath) override;
    void showProgress(const QString &text) override;
    void hideProgress() override;
    void ReadfromKestavions1Click() override;
    void LoadIpAddress() override;

    QString ipAddressText() const override;
    void setIpAddressText(const QString &text) override;
    int serialModeIndex() const override;
    void setSerialModeIndex(int index) override;

    // The device behind each COM item, as its tool tip.
    void refreshComToolTips();

private:
    TMatrixForm &m_form;
};

} // namespace kv
