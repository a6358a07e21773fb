#pragma once

#include <QGroupBox>

namespace kv {

class PresetPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit PresetPanel(QWidget *parent = nullptr);
};

} // namespace kv
