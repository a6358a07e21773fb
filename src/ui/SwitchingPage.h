#pragma once

#include <QWidget>

namespace kv {

class SwitchingPage : public QWidget {
    Q_OBJECT
public:
    explicit SwitchingPage(QWidget *parent = nullptr);
};

} // namespace kv
