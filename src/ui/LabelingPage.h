#pragma once

#include <QWidget>

namespace kv {

class LabelingPage : public QWidget {
    Q_OBJECT
public:
    explicit LabelingPage(QWidget *parent = nullptr);
};

} // namespace kv
