// The state colours on the buttons: a shade the style has drawn once is drawn again with the
// same palette key, so its cached button image is used again instead of another one made.

#include "ui/Colours.h"
#include "ui/LabelButton.h"

#include <QProxyStyle>
#include <QStyleOption>
#include <QStyleFactory>
#include <QtTest>

using namespace kv;

namespace {

// Fusion, noting the palette key of every button face it draws.
class KeyRecorder : public QProxyStyle {
public:
    KeyRecorder() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_PanelButtonCommand)
            keys << option->palette.cacheKey();
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    mutable QList<qint64> keys;
};

} // namespace

class TestColours : public QObject {
    Q_OBJECT
private slots:
    void aShadeKeepsItsPaletteKey();
};

void TestColours::aShadeKeepsItsPaletteKey()
{
    KeyRecorder style;
    QWidget page;
    auto *button = new LabelButton(QStringLiteral("3"), &page);
    button->setStyle(&style);
    button->resize(60, 40);
    const auto drawn = [&](const QColor &colour) {
        paint(button, colour);
        style.keys.clear();
        button->grab();
        return style.keys;
    };

    // Selection moving on and back, as the arrow keys do it.
    const QList<QColor> shades = {kYellow, buttonFace(), kRed};
    QList<QList<qint64>> first;
    for (const QColor &shade : shades)
        first << drawn(shade);
    QCOMPARE(first[0].size(), 1);
    QVERIFY(first[0] != first[1]);
    for (int round = 0; round < 3; ++round)
        for (qsizetype i = 0; i < shades.size(); ++i)
            QCOMPARE(drawn(shades[i]), first[i]);

    // The same shade again leaves the button's own palette alone.
    paint(button, kLime);
    const qint64 lime = button->palette().cacheKey();
    paint(button, kLime);
    QCOMPARE(button->palette().cacheKey(), lime);
    QCOMPARE(paintedColour(button), kLime);
}

QTEST_MAIN(TestColours)
#include "tst_colours.moc"
