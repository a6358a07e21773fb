#pragma once

#include <QWidget>

namespace kv {

class SequencingPage : public QWidget {
    Q_OBJECT
public:
    explicit SequencingPage(QWidget *parent = nullptr);
};

} // namespace kv
