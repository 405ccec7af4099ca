#pragma once
// Errors of the pictures subsystem, raised as the program's run-time errors
// were: a number, a source and a description.
#include <QString>
#include <stdexcept>

class ImageError : public std::runtime_error {
public:
    ImageError(int number, const QString &source, const QString &description)
        : std::runtime_error(description.toStdString()), number(number), source(source), description(description)
    {
    }
    int number;
    QString source;
    QString description;
};

namespace ImageErr {
constexpr int OutOfRange = 9;     // an access outside the bitmap's pixels
constexpr int Jpeg = 26001;       // the JPEG writer
}
