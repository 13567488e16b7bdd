// Text in the field strip: the list holds 8-bit text in which one byte is one
// output column, and the strip shows it one byte a character cell of its
// fixed-pitch font, so that the ruler's ticks stand exactly under the
// characters whatever the font's fractional advances.
#pragma once

#include <QString>
#include <string>

class QPainter;
class QPoint;

// Bytes to characters and back, one to one: byte n is the character U+00nn.
// Characters typed beyond U+00FF are stored as their UTF-8 bytes.
QString ToScreen(const std::string& strBytes);
std::string FromScreen(const QString& strText);

// The font laid on a grid: each character advances exactly nCharWidth
// pixels, whatever the font's own (perhaps fractional) advance.
class QFont;
QFont GridFont(const QFont& font, int nCharWidth);

// Draws the bytes in the painter's grid font, the text's top-left corner at
// (x, y); bytes that cannot be shown show as the model's stand-in character.
void DrawFixedText(QPainter& painter, int x, int y, const std::string& strBytes);
