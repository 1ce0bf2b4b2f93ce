#pragma once

#include <QByteArray>
#include <QString>

class QRandomGenerator;

// The captcha picture: a small 24-bit Windows bitmap with the code's digits drawn dark on a
// light, dotted background, in a built-in digit font so the service needs no fonts.
class CaptchaImage {
public:
    static constexpr int kWidth = 50;
    static constexpr int kHeight = 18;

    // The BMP file bytes showing CODE (four digits; other characters are left blank). RANDOM
    // decides the noise, the colours and the small offsets of the digits.
    static QByteArray render(const QString& code, QRandomGenerator& random);
};
