#pragma once
// A small terminal screen for what the switcher sends: a fixed number of rows, no scroll-back,
// silver text on black in a fixed-pitch font. Carriage return goes to the start of the row,
// line feed to the next row (the top row falls off at the bottom); other control bytes are
// not shown, and bytes outside ASCII show as a dot.

#include <QByteArray>
#include <QStringList>
#include <QWidget>

namespace kv {

class TerminalView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 15;

    explicit TerminalView(QWidget *parent = nullptr);

    void write(const QByteArray &bytes);
    void clearScreen();
    int columns() const;
    // Row r of the screen (0 = top), trailing blanks removed.
    QString row(int r) const;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    void newLine();
    void put(QChar c);

    QStringList m_rows;
    int m_row = 0;
    int m_column = 0;
};

} // namespace kv
