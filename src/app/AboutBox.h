#pragma once
// The modal About box opened from the "About" menu title.

#include <QDialog>

class QLabel;

namespace kv {

inline const QString kConsoleVersion = QStringLiteral("1.01");

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    QLabel *IconLabel;
    QLabel *ProductLabel;
    QLabel *VersionLabel;
    QLabel *NoteLabel;
};

} // namespace kv
