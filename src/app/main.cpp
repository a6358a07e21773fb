#include "app/MatrixForm.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvask Delvane Kestavion"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvask Delvane Kestavion"));
    // One look on every desktop, so button faces take the state colours.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    TMatrixForm form;
    form.show();
    return app.exec();
}
