#pragma once
// The status bar's lamp for following the switcher: green while live, amber while it waits
// (a change pending here, an answer late), red while stopped (no link, paused); hidden while
// following is off. Its tool tip says why.

#include "control/FollowSwitcher.h"

#include <QColor>
#include <QWidget>

namespace kv {

class FollowLight : public QWidget {
    Q_OBJECT
public:
    explicit FollowLight(QWidget *parent = nullptr);

    void show(FollowLamp lamp, const QString &why);
    FollowLamp lamp() const { return m_lamp; }
    QColor colour() const;
    QSize sizeHint() const override { return {14, 14}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    FollowLamp m_lamp = FollowLamp::Off;
};

} // namespace kv
