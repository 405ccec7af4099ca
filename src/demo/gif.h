#pragma once
// A small GIF writer for the template sets' swatches and badges: one frame,
// a palette of up to 256 colours, optional transparent colour.
#include <QImage>
#include <QString>

bool ScriviGif(const QImage &immagine, const QString &file);
