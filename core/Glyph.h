#pragma once
#include <QColor>
#include <QIcon>
#include <QImage>

class QPainter;

// The tray icon: four corner brackets around lines of text, telling where a
// capture stands. Drawn in code on an 18-unit square.
enum class Glyph { idle, picking, picked };

// Draws the glyph in one colour into the 18 x 18 unit square at the painter's origin.
void drawGlyph(QPainter& painter, Glyph glyph, const QColor& color);

// The glyph as a square image of pixelSize logical pixels. Linux trays do not
// tint icons, so it is black for a light panel and paper-coloured for a dark one.
QImage glyphImage(Glyph glyph, int pixelSize, qreal dpr, bool darkPanel);

// The glyph at the sizes trays ask for (16, 22, 24, 32, 48).
QIcon glyphIcon(Glyph glyph, bool darkPanel);
