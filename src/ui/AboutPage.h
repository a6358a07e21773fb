#pragma once

#include <QWidget>

namespace kv {

class AboutPage : public QWidget {
    Q_OBJECT
public:
    explicit AboutPage(QWidget *parent = nullptr);
};

} // namespace kv
