#include "ui/RemoteDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kv {

namespace {
template <class T> T *Named(T *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
} // namespace

RemoteDialog::RemoteDialog(QWidget *parent)
    : QDialog(parent), m_listen(Named(new QCheckBox(QStringLiteral("Serve remote control panels")),
                                      "RemoteListenCheckBox")),
      m_bind(Named(new QLineEdit, "RemoteBindEdit")), m_port(Named(new QSpinBox, "RemotePortEdit")),
      m_readOnly(
          Named(new QCheckBox(QStringLiteral("Read-only: clients watch, every change is refused")),
                "RemoteReadOnlyCheckBox")),
      m_warning(Named(new QLabel, "RemoteWarningLabel")),
      m_status(Named(new QLabel, "RemoteStatusText")),
      m_locks(Named(new QListWidget, "RemoteLockList")),
      m_unlock(Named(new QPushButton(QStringLiteral("Force Unlock...")), "RemoteForceUnlockButton"))
{
    setObjectName(QStringLiteral("RemoteControlDialog"));
    setWindowTitle(QStringLiteral("Remote Control"));
    m_port->setRange(1, 65535);
    m_warning->setWordWrap(true);
    m_warning->setText(QStringLiteral(
        "Anyone who can reach this address can route the switcher: the protocol has no "
        "password. Keep the server on 127.0.0.1 or behind a firewall."));
    m_warning->setStyleSheet(QStringLiteral("color: #a00000"));
    m_status->setWordWrap(true);

    auto *server = new QGroupBox(QStringLiteral("Server"));
    auto *form = new QFormLayout(server);
    form->addRow(m_listen);
    form->addRow(QStringLiteral("Address:"), m_bind);
    form->addRow(QStringLiteral("Port:"), m_port);
    form->addRow(m_readOnly);
    form->addRow(m_warning);
    form->addRow(m_status);

    auto *locks = new QGroupBox(QStringLiteral("Outputs locked by clients"));
    auto *lockLayout = new QVBoxLayout(locks);
    m_locks->setMinimumHeight(80);
    lockLayout->addWidget(m_locks);
    lockLayout->addWidget(m_unlock, 0, Qt::AlignRight);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("RemoteOkButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("RemoteCancelButton"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(server);
    layout->addWidget(locks);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        emit applyRequested();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_bind, &QLineEdit::textChanged, this, &RemoteDialog::updateWarning);
    connect(m_listen, &QCheckBox::toggled, this, &RemoteDialog::updateWarning);
    connect(m_locks, &QListWidget::itemSelectionChanged, this,
            [this] { m_unlock->setEnabled(m_locks->currentItem() != nullptr); });
    connect(m_unlock, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem *item = m_locks->currentItem())
            emit forceUnlockRequested(item->data(Qt::UserRole).toInt());
    });
    m_unlock->setEnabled(false);
    setChoices({});
}

void RemoteDialog::setChoices(const RemoteChoices &c)
{
    m_listen->setChecked(c.enabled);
    m_bind->setText(c.bind);
    m_port->setValue(c.port);
    m_readOnly->setChecked(c.readOnly);
    updateWarning();
}

RemoteChoices RemoteDialog::choices() const
{
    return {m_listen->isChecked(), m_bind->text().trimmed(), m_port->value(),
            m_readOnly->isChecked()};
}

void RemoteDialog::setStatusText(const QString &text) { m_status->setText(text); }

void RemoteDialog::setLocks(const QList<QPair<int, QString>> &locks)
{
    m_locks->clear();
    for (const auto &[output, owner] : locks) {
        auto *item = new QListWidgetItem(
            QStringLiteral("Output %1: locked by %2").arg(output + 1).arg(owner));
        item->setData(Qt::UserRole, output);
        m_locks->addItem(item);
    }
    m_unlock->setEnabled(false);
}

void RemoteDialog::updateWarning()
{
    const QHostAddress address(m_bind->text().trimmed());
    m_warning->setVisible(m_listen->isChecked() && !address.isLoopback());
}

} // namespace kv
