#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace tamsel::app {

// The dialog font: the Japanese UI Gothic of the original system where it
// exists, else a Japanese Gothic that Linux systems carry.
[[nodiscard]] QFont DialogFont(int pointSize);

// Dialog units, measured from a font as Windows measures them: a quarter
// of the average Latin letter's width across, an eighth of the line height
// down. The windows are laid out in them so they keep their proportions
// whatever the font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    [[nodiscard]] QRect Rect(int x, int y, int width, int height) const;
    [[nodiscard]] QSize Size(int width, int height) const;

private:
    [[nodiscard]] int X(int units) const;
    [[nodiscard]] int Y(int units) const;

    int m_BaseX;
    int m_BaseY;
};

}  // namespace tamsel::app
