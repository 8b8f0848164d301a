#include "app/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>

namespace tamsel::app {

QFont DialogFont(int pointSize)
{
    QFont font;
    font.setFamilies(QStringList{"MS UI Gothic", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic"});
    font.setPointSize(pointSize);
    return font;
}

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_BaseX = (letters / 26 + 1) / 2;
    m_BaseY = metrics.height();
}

int DialogUnits::X(int units) const { return (units * m_BaseX + 2) / 4; }
int DialogUnits::Y(int units) const { return (units * m_BaseY + 4) / 8; }

QRect DialogUnits::Rect(int x, int y, int width, int height) const
{
    return {X(x), Y(y), X(width), Y(height)};
}

QSize DialogUnits::Size(int width, int height) const { return {X(width), Y(height)}; }

}  // namespace tamsel::app
