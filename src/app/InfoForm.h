#pragma once
// The progress window: tells the operator to wait while the console blocks on the switcher.

#include <QWidget>

class QLabel;

namespace kv {

class TInfoForm : public QWidget {
    Q_OBJECT
public:
    explicit TInfoForm(QWidget *parent = nullptr);

    QLabel *InfoLabel;
    QLabel *InfoProgressLabel;

    void setMessage(const QString &text);
    void setProgress(const QString &dots);
    // Shows the window and lets it draw before the caller blocks the event loop.
    void showNow();

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace kv
