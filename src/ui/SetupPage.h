#pragma once

#include <QWidget>

namespace kv {

class SetupPage : public QWidget {
    Q_OBJECT
public:
    explicit SetupPage(QWidget *parent = nullptr);
};

} // namespace kv
