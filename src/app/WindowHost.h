#pragma once
// Everything the rooms below need of the window, in one place: message boxes through the
// Dialogs seam, the status bar, the page area, the cursor and the progress window for the
// link and the status read; the Serial Port menu's items, the Setup page's link choice and
// address and the About page's port label for the serial and Ethernet links.

#include "control/ConfigActions.h"
#include "control/Labels.h"
#include "control/StatusRead.h"
#include "control/SystemCommands.h"
#include "link/EthernetLink.h"
#include "link/LinkHost.h"
#include "protocol/StatusReader.h"

namespace kv {

class PageLock;
class TInfoForm;
class TMatrixForm;

class WindowHost : public LinkHost,
                   public EthernetLinkHost,
                   public StatusHost,
                   public LabelView,
                   public ConfigView,
                   public StatusReadView,
                   public SystemView {
public:
    WindowHost(TMatrixForm &form, TInfoForm &progress);

    // Message boxes, status bar, pages, cursor.
    void showMessage(const QString &text) override;
    void showMessage(const QString &title, const QString &text) override;
    bool askOkCancel(const QString &title, const QString &text) override;
    bool askYesNo(const QString &title, const QString &text) override;
    void showError(const QString &text) override;
    void showReadError(const QString &text) override;
    void setStatusText(const QString &text) override;
    void setPagesEnabled(bool enabled) override;
    bool showBusyCursor() override;
    void showArrowCursor() override;
    void processEvents() override;
    void pause(int ms) override;

    // The progress window.
    void showProgress(const QString &text) override;
    void showProgress() override;
    void hideProgress() override;
    void setProgressMessage(const QString &text) override;
    void setProgressDots(const QString &dots) override;
    // Shown and drawn, for a wait that processes no events at all.
    void showProgressBeforeBlocking(const QString &text) override;

    // The file dialogs.
    QString saveFileName() override;
    QString openFileName() override;

    // What a status read shows.
    void refreshLabelRows(int inputCount, int outputCount) override;
    void showSystemInfo(bool frontPanelLock, bool viState, const QString &ipAddress,
                        const QString &firmwareVersion) override;

    // The system commands' frame.
    void holdMenus(bool held) override;
    void rereadSystemStatus() override;

    // The links' controls.
    void setItemEnabled(Item item, bool enabled) override;
    void setComItemChecked(int port, bool checked) override;
    void setComNumber(const QString &text, const QString &devicePath) override;
    void ReadfromKestavions1Click() override;
    void LoadIpAddress() override;
    QString ipAddressText() const override;
    void setIpAddressText(const QString &text) override;
    int serialModeIndex() const override;
    void setSerialModeIndex(int index) override;
    bool writeIpSaveFile(const QString &text) override;
    std::optional<QString> readIpSaveFile() override;
    // The device behind each COM item, as its tool tip.
    void refreshComToolTips();

    // The label edits and their captions on the other pages.
    QString labelText(LabelKind kind, int n) const override;
    void setLabelText(LabelKind kind, int n, const QString &text) override;
    void showCaption(LabelKind kind, int n, const QString &caption) override;

private:
    TMatrixForm &m_form;
    TInfoForm &m_progress;
    PageLock *m_pageLock; // owned by the pages
    bool m_menusWereEnabled[2] = {};
};

} // namespace kv
