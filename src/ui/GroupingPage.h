#pragma once

#include <QWidget>

namespace kv {

class GroupingPage : public QWidget {
    Q_OBJECT
public:
    explicit GroupingPage(QWidget *parent = nullptr);
};

} // namespace kv
