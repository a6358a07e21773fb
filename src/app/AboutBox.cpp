#include "app/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kv {

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LMDAboutDlg1"));
    setWindowTitle(QStringLiteral("About KV Control SDI"));
    setModal(true);

    IconLabel = new QLabel(this);
    IconLabel->setObjectName(QStringLiteral("IconLabel"));
    const QIcon icon = parent ? parent->windowIcon() : windowIcon();
    IconLabel->setPixmap(icon.pixmap(48, 48));

    ProductLabel = new QLabel(QStringLiteral("Kestavion Control SDI"), this);
    ProductLabel->setObjectName(QStringLiteral("ProductLabel"));
    QFont big = ProductLabel->font();
    big.setPointSize(19);
    ProductLabel->setFont(big);

    VersionLabel = new QLabel(QStringLiteral("Version ") + kConsoleVersion, this);
    VersionLabel->setObjectName(QStringLiteral("VersionLabel"));
    NoteLabel = new QLabel(QStringLiteral("Minimum resolution required is 1024x768."), this);
    NoteLabel->setObjectName(QStringLiteral("NoteLabel"));

    auto *text = new QVBoxLayout;
    text->addWidget(ProductLabel);
    text->addWidget(VersionLabel);
    text->addSpacing(8);
    text->addWidget(NoteLabel);
    auto *top = new QHBoxLayout;
    top->addWidget(IconLabel, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

} // namespace kv
